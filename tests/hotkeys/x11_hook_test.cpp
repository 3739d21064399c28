// Global hot keys on a private X server with a window manager: keys pressed through XTEST
// over a recorder window that has the focus.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#include "base/string_table.h"
#include "config/config_file.h"
#include "hotkeys/hot_key_messages.h"
#include "hotkeys/hot_keys.h"
#include "support/child_process.h"
#include "support/dbus_session.h"
#include "support/engine_rig.h"

// Xlib comes after the headers its macros would break.
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include "hotkeys/x11_hot_key_hook.h"
#include "keys/x11_connection.h"
#include "support/test_files.h"
#include "support/x11_session.h"
#include "support/x11_test_environment.h"

namespace fenno {
namespace {

using testing::ChildProcess;
using testing::DbusSession;
using testing::EngineRig;
using testing::EnglishStrings;
using testing::ReadWholeFile;
using testing::RecordingPrompt;
using testing::ScratchFolder;
using testing::WaitUntil;
using testing::X11Session;
using Kind = HotKeyActionKind;

constexpr int kF2 = 113, kF3 = 114;
constexpr int kShift = 256, kCtrl = 512, kAlt = 1024;

[[maybe_unused]] auto* const environment =
    ::testing::AddGlobalTestEnvironment(new testing::X11TestEnvironment);

// The program's side: an engine on a fake device with the hot keys on their own
// connection to the test's display.
struct Program : EngineRig {
  explicit Program(const std::string& displayName)
      : connection(displayName, ReportHotKeyDisplayFailureThrough(prompt, texts)),
        hook(connection, ReportHotKeyProblemsThrough(prompt, texts)) {}
  ~Program() {
    hotKeys.reset();
    Close();
  }

  void Start() {
    EngineRig::Start();
    hotKeys = std::make_unique<HotKeys>(ComfennoEdition(), engine(), hook);
    hotKeys->Start();
  }
  void Entry(int entry, int code, std::string text) {
    settings.HotKeyCode[entry] = static_cast<int16_t>(code);
    settings.HotKeyAction[entry] = static_cast<int16_t>(Kind::TransmitString);
    settings.HotKeyString[entry] = std::move(text);
  }
  const std::string& Queued() { return engine().QueuedOutput(); }

  const StringTable& texts = EnglishStrings(ComfennoEdition());
  X11Connection connection;
  X11HotKeyHook hook;
  std::unique_ptr<HotKeys> hotKeys;
};

class X11HotKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    session_ = testing::X11TestEnvironment::session.get();
    if (!session_) GTEST_SKIP() << "no X server for the test: " << testing::X11TestEnvironment::why;
    // The recorder takes keys before any test types one.
    const std::string title = "Hot key target " + std::to_string(++runs_);
    ASSERT_NE(session_->StartRecorder(FENNO_KEY_RECORDER, title, typed_, recorders_), None);
    program_ = std::make_unique<Program>(session_->DisplayName());
  }
  void TearDown() override {
    program_.reset();
    for (const pid_t pid : recorders_) session_->Terminate(pid);
  }

  // Keys pressed in order and released in reverse, as a user types a combination.
  void Type(std::initializer_list<KeySym> keys) {
    for (KeySym key : keys) Key(key, true);
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) Key(*key, false);
  }
  void Key(KeySym key, bool down) {
    Display* probe = session_->display();
    XTestFakeKeyEvent(probe, XKeysymToKeycode(probe, key), down ? True : False, CurrentTime);
    XFlush(probe);
  }
  // Waits while the program handles its events.
  bool Until(const std::function<bool()>& condition) {
    return WaitUntil([&] {
      QCoreApplication::processEvents();
      program_->connection.ProcessPendingEvents();
      return condition();
    });
  }
  // The marker key goes after the keys under test: once it has arrived, so has
  // everything typed before it.
  std::string TypedUpToMarker() {
    Type({XK_m});
    Until([&] { return ReadWholeFile(typed_).ends_with("m"); });
    const std::string typed = ReadWholeFile(typed_);
    return typed.substr(0, typed.empty() ? 0 : typed.size() - 1);
  }

  X11Session* session_ = nullptr;
  ScratchFolder folder_;
  const std::string typed_ = folder_.File("typed.txt");
  std::vector<pid_t> recorders_;
  std::unique_ptr<Program> program_;
  static inline int runs_ = 0;
};

// A key with a Shift its entry lacks is no hot key and reaches the window; Caps Lock and
// Num Lock make no difference.
TEST_F(X11HotKeyTest, AHotKeyQueuesItsStringAndNeverReachesTheWindow) {
  const struct {
    int code;
    std::initializer_list<KeySym> keys;
  } cases[] = {
      {kF2, {XK_F2}},
      {kCtrl + kF2, {XK_Control_L, XK_F2}},
      {kShift + kAlt + kF3, {XK_Shift_L, XK_Alt_L, XK_F3}},
  };
  for (int entry = 0; entry < 3; ++entry)
    program_->Entry(entry, cases[entry].code, std::string(1, static_cast<char>('a' + entry)));
  program_->Start();
  std::string expected;
  for (KeySym lock : {KeySym{NoSymbol}, KeySym{XK_Caps_Lock}, KeySym{XK_Num_Lock}}) {
    if (lock != NoSymbol) Type({lock});
    for (int entry = 0; entry < 3; ++entry) {
      Type(cases[entry].keys);
      expected += static_cast<char>('a' + entry);
      ASSERT_TRUE(Until([&] { return program_->Queued() == expected; })) << program_->Queued();
    }
    if (lock != NoSymbol) Type({lock});
  }
  Type({XK_Shift_L, XK_F2});
  EXPECT_EQ(TypedUpToMarker(), "{F2}");
  EXPECT_EQ(program_->Queued(), expected);
}

TEST_F(X11HotKeyTest, AHeldKeyRepeatsButSendsItsStringOnce) {
  program_->Entry(0, kCtrl + kF2, "once");
  program_->Start();
  // What the handler is told, passed on.
  std::vector<KeyTransition> seen;
  const std::vector<int> codes = {kCtrl + kF2};
  program_->hook.Watch(codes, [&](const HotKeyEvent& event) {
    seen.push_back(event.transition);
    return program_->hotKeys->OnKey(event);
  });
  Key(XK_Control_L, true);
  Key(XK_F2, true);
  const auto repeats = [&] { return std::count(seen.begin(), seen.end(), KeyTransition::Repeat); };
  EXPECT_TRUE(Until([&] { return repeats() >= 3; })) << repeats();
  Key(XK_F2, false);
  Key(XK_Control_L, false);
  EXPECT_TRUE(Until([&] { return !seen.empty() && seen.back() == KeyTransition::Release; }));
  EXPECT_EQ(seen.front(), KeyTransition::Press);
  EXPECT_EQ(program_->Queued(), "once");
  EXPECT_EQ(TypedUpToMarker(), "");
}

TEST_F(X11HotKeyTest, AKeyTakenByAnotherProgramIsReportedOnceAndTheOthersWork) {
  Display* probe = session_->display();
  const KeyCode f3 = XKeysymToKeycode(probe, XK_F3);
  XGrabKey(probe, f3, ControlMask, DefaultRootWindow(probe), False, GrabModeAsync, GrabModeAsync);
  XSync(probe, False);
  program_->Entry(0, kCtrl + kF3, "taken");
  program_->Entry(1, kF2, "free");
  program_->Start();
  ASSERT_EQ(program_->prompt.messages.size(), 1u);
  EXPECT_NE(program_->prompt.messages[0].text.find("CTRL+F3"), std::string::npos)
      << program_->prompt.messages[0].text;
  Type({XK_F2});
  EXPECT_TRUE(Until([&] { return program_->Queued() == "free"; }));

  program_->hotKeys->Stop();
  program_->hotKeys->Start();
  EXPECT_EQ(program_->prompt.messages.size(), 1u);
  XUngrabKey(probe, f3, ControlMask, DefaultRootWindow(probe));
  XSync(probe, False);

  // Stopped hot keys let every key go.
  program_->hotKeys->Stop();
  Type({XK_F2});
  EXPECT_EQ(TypedUpToMarker(), "{F2}");
  EXPECT_EQ(program_->Queued(), "free");
}

// The program itself, headless on the virtual device, with its standard input held open
// by the test, on the test's display (or none) and a session bus of its own. It
// acknowledges each record; CTRL+F2 sends a string.
std::unique_ptr<ChildProcess> StartHeadless(const std::string& folder,
                                            const std::string& displayName,
                                            std::unique_ptr<DbusSession>& bus) {
  Settings settings = Settings::Defaults(ComfennoEdition(), folder);
  settings.OutputMethod = kLogToDisk;
  settings.LogFilePath = folder + "/data.log";
  settings.AckString = "ack;";
  settings.HotKeyCode[5] = static_cast<int16_t>(kCtrl + kF2);
  settings.HotKeyAction[5] = static_cast<int16_t>(Kind::TransmitString);
  settings.HotKeyString[5] = std::string("HOT\0\r\n", 6);
  const std::string config = folder + "/hotkey.DE3";
  RecordingPrompt prompt;
  EXPECT_TRUE(WriteConfigFile(config, settings, ComfennoEdition(),
                              EnglishStrings(ComfennoEdition()), prompt));
  std::string why;
  bus = DbusSession::Start(&why);
  EXPECT_NE(bus, nullptr) << why;
  return std::make_unique<ChildProcess>(
      std::vector<std::string>{std::getenv("COMFENNO_BIN"), "--headless", "--virtual", config},
      folder + "/program",
      std::map<std::string, std::string>{{"DISPLAY", displayName},
                                         {"DBUS_SESSION_BUS_ADDRESS", bus ? bus->Address() : ""},
                                         {"LANGUAGE", "en"}},
      true);
}

TEST_F(X11HotKeyTest, TheHeadlessProgramSendsTheStringOfAPressedHotKey) {
  std::unique_ptr<DbusSession> bus;
  auto program = StartHeadless(folder_.path(), session_->DisplayName(), bus);
  // The hot keys are in place before the engine's first tick, which acknowledges a record.
  program->Send("reading\r");
  ASSERT_TRUE(WaitUntil([&] { return program->Output() == "ack;"; })) << program->Errors();
  Type({XK_Control_L, XK_F2});
  const std::string sent("ack;HOT\0\r\n", 10);
  EXPECT_TRUE(WaitUntil([&] { return program->Output() == sent; })) << program->Errors();
  program->CloseInput();
  ASSERT_TRUE(program->WaitForExit());
  EXPECT_EQ(program->ExitCode(), 0) << program->Errors();
  EXPECT_EQ(program->Errors(), "");
}

TEST(HeadlessHotKeys, WithoutADisplayTheProgramSaysSoOnceAndRunsOn) {
  ScratchFolder folder;
  std::unique_ptr<DbusSession> bus;
  auto program = StartHeadless(folder.path(), "", bus);
  program->Send("reading\r");
  program->CloseInput();
  ASSERT_TRUE(program->WaitForExit());
  EXPECT_EQ(program->ExitCode(), 0);
  EXPECT_EQ(program->Output(), "ack;");
  const std::string err = program->Errors();
  EXPECT_NE(err.find("hot keys do not work"), std::string::npos) << err;
  EXPECT_EQ(err.find("hot keys do not work"), err.rfind("hot keys do not work")) << err;
}

}  // namespace
}  // namespace fenno
