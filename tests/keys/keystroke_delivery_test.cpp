#include "keys/keystroke_delivery.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "base/string_table.h"
#include "config/settings.h"
#include "keys/fake_keys.h"
#include "support/fake_clock.h"
#include "support/recording_prompt.h"

namespace fenno {
namespace {

constexpr WindowId kEngine = 1, kEditor = 2, kLedger = 3;

struct DeliveryTest : ::testing::Test {
  DeliveryTest() {
    pump.onEvents = [this] { windows.RunEvents(); };
    windows.windows = {{kEngine, "Comfenno - COM1", false, true},
                       {kEditor, "notes.txt - Editor"},
                       {kLedger, "Stock Ledger - Main"},
                       {4, "Ledger Archive"}};
    windows.foreground = kEditor;
    settings.TargetSpecified = true;
    settings.TargetAppTitle = "  ledger ";
  }

  bool Deliver(const std::string& macro) {
    return testing::DeliverRecord(delivery, settings, macro);
  }

  testing::FakeKeySink keys;
  testing::FakeWindowSystem windows;
  testing::FakeClock clock;
  testing::FakeEventPump pump{clock};
  testing::RecordingPrompt prompt;
  StringTable texts{EditionKind::Comfenno, Language::English};
  Settings settings;
  KeystrokeDelivery delivery{keys, windows, clock, pump, prompt, texts};
};

TEST_F(DeliveryTest, TypesIntoTheTopmostWindowWhoseTitleHoldsTheTextAndGivesTheFocusBack) {
  windows.dropsActivations = 1;  // a busy window manager ignores the first request
  ASSERT_TRUE(delivery.Activate(settings));
  EXPECT_EQ(settings.TargetAppTitle, "LEDGER");
  EXPECT_EQ(windows.foreground, kLedger);
  delivery.Type("12.5{ENTER}", 0);
  windows.dropsActivations = 1;  // and the first one to give the focus back
  delivery.Restore();
  EXPECT_EQ(keys.typed, "12.5{ENTER}");
  EXPECT_EQ(windows.foreground, kEditor);
  EXPECT_FALSE(windows.IsMinimized(kLedger));  // only a target that was minimised is again

  // Without a target, or with a title of blanks, the keys go to the foreground window.
  windows.log.clear();
  settings.TargetAppTitle = "   ";
  ASSERT_TRUE(Deliver("x"));
  settings.TargetSpecified = false;
  ASSERT_TRUE(Deliver("y"));
  EXPECT_EQ(windows.foreground, kEditor);
  EXPECT_TRUE(windows.log.empty());
  EXPECT_EQ(keys.typed, "12.5{ENTER}xy");
}

TEST_F(DeliveryTest, AMinimisedTargetIsRestoredTypedIntoAndMinimisedAgain) {
  windows.windows[2].minimized = true;
  ASSERT_TRUE(delivery.Activate(settings));
  EXPECT_FALSE(windows.IsMinimized(kLedger));
  EXPECT_TRUE(delivery.WasMinimized());
  delivery.Restore();
  EXPECT_TRUE(windows.IsMinimized(kLedger));
  EXPECT_EQ(windows.foreground, kEditor);

  // A window that refuses the focus is left as it was; the keys go to whatever has it.
  windows.refusesActivation = true;
  ASSERT_TRUE(delivery.Activate(settings));
  EXPECT_TRUE(windows.IsMinimized(kLedger));
  EXPECT_FALSE(delivery.WasMinimized());
}

TEST_F(DeliveryTest, NeverChoosesOrTypesIntoThisProgramsOwnWindows) {
  settings.TargetAppTitle = "comfenno";
  ASSERT_TRUE(Deliver("x"));  // no other window matches: the keys go to the editor
  windows.foreground = kEngine;
  settings.TargetSpecified = false;
  EXPECT_FALSE(Deliver("y"));
  EXPECT_EQ(keys.typed, "x");

  // Typing stops when one of them comes to the front in the middle of a record.
  windows.foreground = kEditor;
  pump.onEvents = [this] { windows.foreground = kEngine; };
  ASSERT_TRUE(delivery.Activate(settings));
  delivery.Type("ab{DELAY 100}cd", 0);
  EXPECT_EQ(keys.typed, "xab");
}

// The title it learns is the started window's, unless that window holds the configured one.
TEST_F(DeliveryTest, StartsAMissingProgramWaitsForItAndLearnsItsTitle) {
  settings.TargetAppTitle = "Balance Sheet";
  settings.TargetAppCommand = "ledger --new";
  windows.startedTitle = "Untitled - Ledger";
  ASSERT_TRUE(Deliver("1{TAB}"));
  EXPECT_EQ(windows.startedCommands, std::vector<std::string>{"ledger --new"});
  EXPECT_EQ(settings.TargetAppTitle, "UNTITLED - LEDGER");
  EXPECT_EQ(windows.foreground, 100u);  // the started program keeps the focus
  EXPECT_GE(clock.tickMs, 1000 + 2000);
  EXPECT_EQ(keys.typed, "1{TAB}");

  settings.TargetAppTitle = "Sheet";
  windows.startedTitle = "Balance Sheet 1";
  windows.windows.clear();
  ASSERT_TRUE(delivery.Activate(settings));
  EXPECT_EQ(settings.TargetAppTitle, "SHEET");
}

// A program that cannot start, shows no window within the time or has no command line
// at all is reported for every record, and the record is dropped.
TEST_F(DeliveryTest, AProgramThatCannotStartIsReportedAndTheRecordDropped) {
  settings.TargetAppTitle = "nowhere";
  const std::vector<std::tuple<std::string, int, std::string>> cases = {
      {"/opt/none/ledger", ENOENT,
       "Cannot Run Program: /opt/none/ledger\r" + std::string(std::strerror(ENOENT))},
      {"  ", 0, "Cannot Run Program:   \rThe command line names no program."},
      {"daemon", 0, ""}};
  for (const auto& [command, error, message] : cases) {
    settings.TargetAppCommand = command;
    windows.startError = error;
    prompt.messages.clear();
    clock.tickMs = 0;
    EXPECT_FALSE(Deliver("1"));
    EXPECT_FALSE(Deliver("2"));
    ASSERT_EQ(prompt.messages.size(), 2u) << command;
    if (!message.empty()) {
      EXPECT_EQ(prompt.messages[0].text, message);
    }
  }
  EXPECT_GE(clock.TickMs(), 2 * kProgramStartTimeoutMs);  // waited for the daemon's window
  EXPECT_NE(prompt.messages[0].text.find("daemon"), std::string::npos);
  EXPECT_EQ(windows.startedCommands,
            (std::vector<std::string>{"/opt/none/ledger", "/opt/none/ledger", "daemon", "daemon"}));
  EXPECT_TRUE(keys.events.empty());
  EXPECT_EQ(windows.foreground, kEditor);
}

}  // namespace
}  // namespace fenno
