// Keystroke delivery through the X11 backends into recorder windows on a private X server
// with a window manager (and one case without).

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "base/clock.h"
#include "base/string_table.h"
#include "config/config_file.h"
#include "engine/qt_event_pump.h"
#include "keys/display_failure.h"
#include "keys/fake_keys.h"
#include "keys/keystroke_delivery.h"
#include "support/recording_prompt.h"

// Xlib comes after the headers its macros would break.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include "keys/x11_connection.h"
#include "keys/x11_key_sink.h"
#include "keys/x11_window_system.h"
#include "support/test_files.h"
#include "support/x11_session.h"
#include "support/x11_test_environment.h"

namespace fenno {
namespace {

using testing::ReadWholeFile;
using testing::RecordingPrompt;
using testing::WaitUntil;
using testing::X11Session;

// One X server with openbox for the whole test program.
[[maybe_unused]] auto* const environment =
    ::testing::AddGlobalTestEnvironment(new testing::X11TestEnvironment);

// The backends under test on one display, driven as the engine drives them.
struct Desktop {
  explicit Desktop(const std::string& displayName)
      : connection(displayName, ReportDisplayFailureThrough(prompt, texts)),
        keys(connection),
        windows(connection),
        delivery(keys, windows, clock, events, prompt, texts) {}

  bool Deliver(const std::string& macro, int32_t interCharDelay = 0) {
    return testing::DeliverRecord(delivery, settings, macro, interCharDelay);
  }

  RecordingPrompt prompt;
  StringTable texts{EditionKind::Comfenno, Language::English};
  SystemClock clock;
  QtEventPump events;
  X11Connection connection;
  X11KeySink keys;
  X11WindowSystem windows;
  KeystrokeDelivery delivery;
  Settings settings;
};

struct Recorder {
  Window window = None;
  std::string file;
};

class X11DeliveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    session_ = testing::X11TestEnvironment::session.get();
    if (!session_) GTEST_SKIP() << "no X server for the test: " << testing::X11TestEnvironment::why;
    desktop_ = std::make_unique<Desktop>(session_->DisplayName());
    desktop_->settings.TargetSpecified = true;
  }

  void TearDown() override {
    desktop_.reset();
    for (const pid_t pid : launched_) session_->Terminate(pid);
    if (session_) session_->SetKeyboardLayout("us");
  }

  std::string FileFor(const std::string& title) { return folder_.File(title + ".txt"); }

  // A recorder window in front, shown to take keys.
  Recorder StartRecorder(const std::string& title) {
    Recorder recorder{None, FileFor(title)};
    recorder.window = session_->StartRecorder(FENNO_KEY_RECORDER, title, recorder.file, launched_);
    EXPECT_NE(recorder.window, None) << title;
    return recorder;
  }

  bool Receives(const Recorder& recorder, const std::string& text) {
    return WaitUntil([&] { return ReadWholeFile(recorder.file) == text; });
  }

  bool IsActive(const Recorder& recorder) {
    return WaitUntil([&] { return session_->ActiveWindow() == recorder.window; });
  }

  X11Session* session_ = nullptr;
  testing::ScratchFolder folder_;
  std::unique_ptr<Desktop> desktop_;
  std::vector<pid_t> launched_;
};

// The timer shows that events keep running while a record is typed.
TEST_F(X11DeliveryTest, TypesARecordIntoTheTopmostWindowWhoseTitleMatchesAndGivesTheFocusBack) {
  const Recorder archive = StartRecorder("Ledger Archive");
  const Recorder ledger = StartRecorder("Stock Ledger - Main");
  const Recorder notes = StartRecorder("Notes");
  desktop_->settings.TargetAppTitle = "ledger";
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(10);

  // Preamble "{TAB}", fields 12.5 and 3 (CR translated to {ENTER}), postambles and keys.
  ASSERT_TRUE(desktop_->Deliver("No{TAB}12.5{TAB}3{ENTER}+(abc){LEFT 3}x{DELAY 200}y~", 5));
  EXPECT_TRUE(Receives(ledger, "No{TAB}12.5{TAB}3{ENTER}ABC{LEFT}{LEFT}{LEFT}xy{ENTER}"))
      << ReadWholeFile(ledger.file);
  EXPECT_GT(ticks, 0);
  EXPECT_EQ(desktop_->settings.TargetAppTitle, "LEDGER");
  EXPECT_TRUE(IsActive(notes));
  EXPECT_EQ(ReadWholeFile(archive.file) + ReadWholeFile(notes.file), "");

  // A minimised target is restored, typed into and minimised again.
  std::filesystem::resize_file(ledger.file, 0);
  session_->Iconify(ledger.window);
  ASSERT_TRUE(WaitUntil([&] { return session_->IsIconic(ledger.window); }));
  desktop_->settings.TargetAppTitle = "stock";
  ASSERT_TRUE(desktop_->Deliver("42{ENTER}"));
  EXPECT_TRUE(Receives(ledger, "42{ENTER}")) << ReadWholeFile(ledger.file);
  EXPECT_TRUE(WaitUntil([&] { return session_->IsIconic(ledger.window); }));
  EXPECT_TRUE(IsActive(notes));
}

// On a German layout the same text types too, the keys found anew.
TEST_F(X11DeliveryTest, CharactersWithoutAKeyCapsLockHeldModifiersAndOtherLayouts) {
  const Recorder ledger = StartRecorder("Ledger");
  Display* probe = session_->display();
  XkbLockModifiers(probe, XkbUseCoreKbd, LockMask, LockMask);
  const KeyCode shift = XKeysymToKeycode(probe, XK_Shift_L);
  XTestFakeKeyEvent(probe, shift, True, CurrentTime);
  XSync(probe, False);
  desktop_->settings.TargetSpecified = false;

  ASSERT_TRUE(
      desktop_->Deliver("a\xB5\xE9 caf\xE9 5\xB0"
                        "C{ENTER}"));
  EXPECT_TRUE(Receives(ledger,
                       "a\xC2\xB5\xC3\xA9 caf\xC3\xA9 5\xC2\xB0"
                       "C{ENTER}"))
      << ReadWholeFile(ledger.file);
  char keys[32] = {};
  XQueryKeymap(probe, keys);
  EXPECT_TRUE(keys[shift / 8] & (1 << (shift % 8))) << "the held Shift key is down again";
  XkbStateRec state{};
  XkbGetState(probe, XkbUseCoreKbd, &state);
  EXPECT_TRUE(state.locked_mods & LockMask) << "Caps Lock is on again";
  XTestFakeKeyEvent(probe, shift, False, CurrentTime);
  XkbLockModifiers(probe, XkbUseCoreKbd, LockMask, 0);
  XSync(probe, False);

  std::filesystem::resize_file(ledger.file, 0);
  ASSERT_TRUE(session_->SetKeyboardLayout("de"));
  ASSERT_TRUE(desktop_->Deliver("zy@{{}\xFC\xDF+(abc)<>|\\12.5{ENTER}"));
  EXPECT_TRUE(Receives(ledger,
                       "zy@{\xC3\xBC\xC3\x9F"
                       "ABC<>|\\12.5{ENTER}"))
      << ReadWholeFile(ledger.file);
}

// The started recorder is left to end with the X server.
TEST_F(X11DeliveryTest, StartsAMissingTargetProgramOrReportsTheOneThatCannotStart) {
  const Recorder notes = StartRecorder("Notes");
  desktop_->settings.TargetAppTitle = "no such window";
  desktop_->settings.TargetAppCommand = "/nonexistent/ledger --new";
  EXPECT_FALSE(desktop_->Deliver("1{ENTER}"));
  ASSERT_EQ(desktop_->prompt.messages.size(), 1u);
  EXPECT_EQ(desktop_->prompt.messages[0].text,
            "Cannot Run Program: /nonexistent/ledger --new\rNo such file or directory");

  const std::string file = FileFor("started");
  desktop_->settings.TargetAppTitle = "";
  desktop_->settings.TargetAppCommand = std::string(FENNO_KEY_RECORDER) +
                                        " --record-title 'Started Recorder' --record-to '" + file +
                                        "'";
  ASSERT_TRUE(desktop_->Deliver("ok{ENTER}"));
  EXPECT_EQ(desktop_->settings.TargetAppTitle, "STARTED RECORDER");
  const Window started = session_->WaitForWindow("Started Recorder");
  ASSERT_NE(started, None);
  EXPECT_TRUE(Receives(Recorder{started, file}, "ok{ENTER}")) << ReadWholeFile(file);
  EXPECT_EQ(desktop_->prompt.messages.size(), 1u);
  EXPECT_EQ(ReadWholeFile(notes.file), "");
}

TEST_F(X11DeliveryTest, NothingIsTypedWhileOneOfThisProgramsWindowsIsInFront) {
  const Recorder notes = StartRecorder("Notes");
  Display* own = XOpenDisplay(session_->DisplayName().c_str());
  ASSERT_NE(own, nullptr);
  const Window window = XCreateSimpleWindow(own, DefaultRootWindow(own), 0, 0, 200, 100, 0, 0, 0);
  XStoreName(own, window, "Comfenno - COM1");
  const unsigned long pid = static_cast<unsigned long>(::getpid());
  XChangeProperty(own, window, XInternAtom(own, "_NET_WM_PID", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
  XSelectInput(own, window, KeyPressMask);
  XMapWindow(own, window);
  XSync(own, False);
  ASSERT_TRUE(WaitUntil([&] { return session_->ActiveWindow() == window; }));

  desktop_->settings.TargetSpecified = false;
  EXPECT_FALSE(desktop_->Deliver("x"));
  desktop_->settings.TargetSpecified = true;
  desktop_->settings.TargetAppTitle = "comfenno";  // its own window never counts as the target
  EXPECT_FALSE(desktop_->Deliver("y"));
  XSync(own, False);
  EXPECT_EQ(XPending(own), 0) << "a key reached this program's window";
  EXPECT_EQ(ReadWholeFile(notes.file), "");
  XDestroyWindow(own, window);
  XCloseDisplay(own);
}

TEST(X11WithoutWindowManager, FindsActivatesAndTypesIntoAWindowByTitle) {
  if (!X11Session::XvfbInstalled()) GTEST_SKIP() << "Xvfb is not installed";
  std::string why;
  auto session = X11Session::Start({.windowManager = false}, &why);
  ASSERT_NE(session, nullptr) << why;
  testing::ScratchFolder folder;
  std::vector<pid_t> launched;
  for (const std::string title : {"Ledger", "Notes"})
    ASSERT_NE(session->StartRecorder(FENNO_KEY_RECORDER, title, folder.File(title), launched),
              None);
  Desktop desktop(session->DisplayName());
  desktop.settings.TargetSpecified = true;
  for (const std::string title : {"Ledger", "Notes"}) {
    desktop.settings.TargetAppTitle = title;
    ASSERT_TRUE(desktop.Deliver("12.5{TAB}" + title));
  }
  for (const std::string title : {"Ledger", "Notes"})
    EXPECT_TRUE(WaitUntil([&] { return ReadWholeFile(folder.File(title)) == "12.5{TAB}" + title; }))
        << ReadWholeFile(folder.File(title));
}

TEST_F(X11DeliveryTest, TheHeadlessProgramTypesEachRecordIntoTheTargetAndGivesTheFocusBack) {
  const Recorder ledger = StartRecorder("Stock Ledger - Main");
  const Recorder notes = StartRecorder("Notes");
  Settings settings = Settings::Defaults(ComfennoEdition(), folder_.path());
  settings.OutputMethod = kSendKeystrokes;
  settings.TargetAppTitle = "ledger";
  settings.InterCharDelay = 0;
  settings.FieldPostamble[1] = "{TAB}";
  const std::string config = folder_.File("keys.DE3");
  ASSERT_TRUE(
      WriteConfigFile(config, settings, ComfennoEdition(), desktop_->texts, desktop_->prompt));
  const std::string input = folder_.Write("input", "12.5\r\n+7 (kg)\r\n");

  const std::string command = "DISPLAY='" + session_->DisplayName() + "' '" +
                              std::getenv("COMFENNO_BIN") + "' --headless --virtual '" + config +
                              "' < '" + input + "' > /dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_TRUE(Receives(ledger, "12.5{ENTER}{TAB}+7 (kg){ENTER}{TAB}"))
      << ReadWholeFile(ledger.file);
  EXPECT_TRUE(ReadWholeFile(notes.file).empty()) << ReadWholeFile(notes.file);
  EXPECT_TRUE(IsActive(notes));
}

TEST(X11WithoutDisplay, ReportsTheMissingDisplayOnceAndTypesNothing) {
  Desktop desktop(":4242");
  desktop.settings.TargetSpecified = true;
  desktop.settings.TargetAppTitle = "ledger";
  EXPECT_TRUE(desktop.Deliver("12.5{ENTER}"));
  EXPECT_TRUE(desktop.Deliver("13{ENTER}"));
  ASSERT_EQ(desktop.prompt.messages.size(), 1u);
  EXPECT_NE(desktop.prompt.messages[0].text.find("X11 display (DISPLAY is \":4242\")"),
            std::string::npos);
}

}  // namespace
}  // namespace fenno
