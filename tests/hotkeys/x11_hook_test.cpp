// Global hot keys on a private X server with a window manager: keys pressed through XTEST
// over a recorder window that has the focus.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "base/string_table.h"
#include "config/config_file.h"
#include "hotkeys/hot_key_messages.h"
#include "hotkeys/hot_keys.h"
#include "support/dbus_session.h"
#include "support/engine_rig.h"
#include "support/spawn_arguments.h"

// Xlib comes after the headers its macros would break.
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include "hotkeys/x11_hot_key_hook.h"
#include "keys/x11_connection.h"
#include "support/test_files.h"
#include "support/x11_session.h"
#include "support/x11_test_environment.h"

extern char** environ;

namespace fenno {
namespace {

namespace fs = std::filesystem;
using testing::DbusSession;
using testing::EngineRig;
using testing::EnglishStrings;
using testing::RecordingPrompt;
using testing::WaitUntil;
using testing::X11Session;
using Kind = HotKeyActionKind;

constexpr int kF2 = 113, kF3 = 114;
constexpr int kShift = 256, kCtrl = 512, kAlt = 1024;

[[maybe_unused]] auto* const environment =
    ::testing::AddGlobalTestEnvironment(new testing::X11TestEnvironment);

std::string ReadFile(const std::filesystem::path& path) {
  return testing::ReadWholeFile(path);
}

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
    folder_ = fs::temp_directory_path() /
              ("fenno-hotkeys-" + std::to_string(::getpid()) + "-" + std::to_string(++runs_));
    fs::create_directories(folder_);
    typed_ = folder_ / "typed.txt";
    // The recorder takes keys before any test types one.
    const std::string title = "Hot key target " + std::to_string(runs_);
    ASSERT_NE(session_->StartRecorder(FENNO_KEY_RECORDER, title, typed_.string(), recorders_),
              None);
    program_ = std::make_unique<Program>(session_->DisplayName());
  }
  void TearDown() override {
    program_.reset();
    for (const pid_t pid : recorders_) session_->Terminate(pid);
    fs::remove_all(folder_);
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
    Until([&] { return ReadFile(typed_).ends_with("m"); });
    const std::string typed = ReadFile(typed_);
    return typed.substr(0, typed.empty() ? 0 : typed.size() - 1);
  }

  X11Session* session_ = nullptr;
  fs::path folder_, typed_;
  std::vector<pid_t> recorders_;
  std::unique_ptr<Program> program_;
  static inline int runs_ = 0;
};

TEST_F(X11HotKeyTest, AHotKeyQueuesItsStringAndNeverReachesTheWindow) {
  struct Case {
    int code;
    std::initializer_list<KeySym> keys;
  };
  const Case cases[] = {
      {kF2, {XK_F2}},
      {kCtrl + kF2, {XK_Control_L, XK_F2}},
      {kShift + kAlt + kF3, {XK_Shift_L, XK_Alt_L, XK_F3}},
  };
  program_->Entry(0, cases[0].code, "a");
  program_->Entry(1, cases[1].code, "b");
  program_->Entry(2, cases[2].code, "c");
  program_->Start();
  std::string expected;
  for (const Case& c : cases) {
    Type(c.keys);
    expected += program_->settings.HotKeyString[static_cast<size_t>(&c - cases)];
    EXPECT_TRUE(Until([&] { return program_->Queued() == expected; })) << program_->Queued();
  }
  EXPECT_EQ(TypedUpToMarker(), "");
}

TEST_F(X11HotKeyTest, TheKeyWithAShiftItsEntryLacksReachesTheWindow) {
  program_->Entry(0, kF2, "plain");
  program_->Start();
  Type({XK_Shift_L, XK_F2});
  EXPECT_EQ(TypedUpToMarker(), "{F2}");
  EXPECT_EQ(program_->Queued(), "");
  Type({XK_F2});
  EXPECT_TRUE(Until([&] { return program_->Queued() == "plain"; }));
}

TEST_F(X11HotKeyTest, HotKeysWorkWithCapsLockAndNumLockOn) {
  program_->Entry(0, kCtrl + kF2, "x");
  program_->Start();
  for (KeySym lock : {XK_Caps_Lock, XK_Num_Lock}) {
    program_->Tick();
    Type({lock});
    Type({XK_Control_L, XK_F2});
    EXPECT_TRUE(Until([&] { return program_->Queued() == "x"; })) << XKeysymToString(lock);
    Type({lock});
  }
  EXPECT_EQ(TypedUpToMarker(), "");
}

TEST_F(X11HotKeyTest, AHeldKeyRepeatsButSendsItsStringOnce) {
  program_->Entry(0, kCtrl + kF2, "once");
  program_->Start();
  // Watch what the handler is told, passing it on.
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
  EXPECT_EQ(std::count(seen.begin(), seen.end(), KeyTransition::Press), 1);
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
}

TEST_F(X11HotKeyTest, StoppedHotKeysLetEveryKeyGo) {
  program_->Entry(0, kF2, "gone");
  program_->Entry(1, kF3, "gone");
  program_->Start();
  program_->hotKeys->Stop();
  Type({XK_F2});
  Type({XK_Shift_L, XK_F3});
  EXPECT_EQ(TypedUpToMarker(), "{F2}{F3}");
  EXPECT_EQ(program_->Queued(), "");
}

// The program itself, headless on the virtual device, with its standard input held open
// by the test, on its own session bus.
class HeadlessProgram {
 public:
  HeadlessProgram(const std::string& config, const std::string& displayName, const fs::path& folder)
      : bus_(DbusSession::Start(&why_)), out_(folder / "stdout"), err_(folder / "stderr") {
    int input[2];
    if (!bus_ || ::pipe2(input, O_CLOEXEC) != 0) return;
    input_ = input[1];
    std::vector<std::string> env;
    for (std::string& item : bus_->Environment())
      if (item.rfind("DISPLAY=", 0) != 0) env.push_back(std::move(item));
    env.push_back("DISPLAY=" + displayName);
    env.push_back("LANGUAGE=en");
    const testing::SpawnArguments argp(
        {std::getenv("COMFENNO_BIN"), "--headless", "--virtual", config}),
        envp(std::move(env));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_addopen(&actions, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&pid_, argp.First(), &actions, nullptr, argp.List(), envp.List()) != 0)
      pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
  }
  ~HeadlessProgram() {
    CloseInput();
    if (pid_ > 0 && !Ended()) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  bool Running() const { return pid_ > 0; }
  const std::string& Why() const { return why_; }
  void Send(std::string_view bytes) {
    [[maybe_unused]] const ssize_t n = ::write(input_, bytes.data(), bytes.size());
  }
  void CloseInput() {
    if (input_ >= 0) ::close(input_);
    input_ = -1;
  }
  std::string Out() const { return ReadFile(out_); }
  std::string Err() const { return ReadFile(err_); }
  // True once the program has ended; its exit status is then in `status`.
  bool Ended() {
    if (pid_ > 0 && ::waitpid(pid_, &rawStatus_, WNOHANG) == pid_) pid_ = 0;
    return pid_ == 0;
  }
  int ExitStatus() const { return WIFEXITED(rawStatus_) ? WEXITSTATUS(rawStatus_) : -1; }

 private:
  std::string why_;
  std::unique_ptr<DbusSession> bus_;
  fs::path out_, err_;
  int input_ = -1;
  pid_t pid_ = -1;
  int rawStatus_ = 0;
};

TEST_F(X11HotKeyTest, TheHeadlessProgramSendsTheStringOfAPressedHotKey) {
  Settings settings = Settings::Defaults(ComfennoEdition(), folder_.string());
  settings.OutputMethod = kLogToDisk;
  settings.LogFilePath = (folder_ / "data.log").string();
  settings.AckString = "ack;";
  settings.HotKeyCode[5] = static_cast<int16_t>(kCtrl + kF2);
  settings.HotKeyAction[5] = static_cast<int16_t>(Kind::TransmitString);
  settings.HotKeyString[5] = std::string("HOT\0\r\n", 6);
  const std::string config = (folder_ / "hotkey.DE3").string();
  RecordingPrompt prompt;
  ASSERT_TRUE(WriteConfigFile(config, settings, ComfennoEdition(),
                              StringTable(EditionKind::Comfenno, Language::English), prompt));

  HeadlessProgram program(config, session_->DisplayName(), folder_);
  ASSERT_TRUE(program.Running()) << program.Why();
  // The hot keys are in place before the engine's first tick, which acknowledges a record.
  program.Send("reading\r");
  ASSERT_TRUE(WaitUntil([&] { return program.Out() == "ack;"; })) << program.Err();
  Type({XK_Control_L, XK_F2});
  EXPECT_TRUE(WaitUntil([&] { return program.Out() == std::string("ack;HOT\0\r\n", 10); }))
      << program.Out() << program.Err();
  EXPECT_EQ(TypedUpToMarker(), "");
  program.CloseInput();
  ASSERT_TRUE(WaitUntil([&] { return program.Ended(); }));
  EXPECT_EQ(program.ExitStatus(), 0) << program.Err();
  EXPECT_EQ(program.Out(), std::string("ack;HOT\0\r\n", 10));
  EXPECT_EQ(program.Err(), "");
}

TEST(HeadlessHotKeys, WithoutADisplayTheProgramSaysSoOnceAndRunsOn) {
  const fs::path folder =
      fs::temp_directory_path() / ("fenno-hotkeys-nodisplay-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  Settings settings = Settings::Defaults(ComfennoEdition(), folder.string());
  settings.OutputMethod = kLogToDisk;
  settings.LogFilePath = (folder / "data.log").string();
  settings.AckString = "ack;";
  for (int entry : {0, 1}) settings.HotKeyCode[entry] = static_cast<int16_t>(kF2 + entry);
  const std::string config = (folder / "hotkey.DE3").string();
  RecordingPrompt prompt;
  ASSERT_TRUE(WriteConfigFile(config, settings, ComfennoEdition(),
                              StringTable(EditionKind::Comfenno, Language::English), prompt));
  HeadlessProgram program(config, "", folder);
  ASSERT_TRUE(program.Running()) << program.Why();
  program.Send("reading\r");
  program.CloseInput();
  ASSERT_TRUE(WaitUntil([&] { return program.Ended(); }));
  EXPECT_EQ(program.ExitStatus(), 0);
  EXPECT_EQ(program.Out(), "ack;");
  const std::string err = program.Err();
  EXPECT_NE(err.find("hot keys do not work"), std::string::npos) << err;
  EXPECT_EQ(err.find("hot keys do not work"), err.rfind("hot keys do not work")) << err;
  fs::remove_all(folder);
}

}  // namespace
}  // namespace fenno
