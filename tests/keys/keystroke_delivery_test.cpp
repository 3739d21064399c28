#include "keys/keystroke_delivery.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "base/string_table.h"
#include "config/settings.h"
#include "keys/fake_keys.h"
#include "support/recording_prompt.h"

namespace fenno {
namespace {

using testing::FakeKeySink;
using testing::FakeWindowSystem;
using testing::RecordingPrompt;
using testing::SteppingClock;
using testing::SteppingPump;

constexpr WindowId kEngine = 1, kEditor = 2, kLedger = 3, kOtherLedger = 4;

struct DeliveryTest : ::testing::Test {
  DeliveryTest() {
    pump.onEvents.push_back([this] { windows.RunEvents(); });
    windows.windows = {{kEngine, "Comfenno - COM1", false, true},
                       {kEditor, "notes.txt - Editor"},
                       {kLedger, "Stock Ledger - Main"},
                       {kOtherLedger, "Ledger Archive"}};
    windows.foreground = kEditor;
    settings.TargetSpecified = true;
    settings.TargetAppTitle = "  ledger ";
  }

  // What the engine does for one record.
  bool Deliver(const std::string& macro) {
    if (!delivery.Activate(settings)) return false;
    delivery.Type(macro, 0);
    delivery.Restore();
    return true;
  }

  FakeKeySink keys;
  FakeWindowSystem windows;
  SteppingClock clock;
  SteppingPump pump{clock};
  RecordingPrompt prompt;
  StringTable texts{EditionKind::Comfenno, Language::English};
  Settings settings;
  KeystrokeDelivery delivery{keys, windows, clock, pump, prompt, texts};
};

TEST_F(DeliveryTest, TypesIntoTheTopmostWindowWhoseTitleHoldsTheTextAndGivesTheFocusBack) {
  ASSERT_TRUE(delivery.Activate(settings));
  EXPECT_EQ(settings.TargetAppTitle, "LEDGER");
  EXPECT_EQ(windows.foreground, kLedger);
  delivery.Type("12.5{ENTER}", 0);
  delivery.Restore();
  EXPECT_EQ(keys.typed, "12.5{ENTER}");
  EXPECT_EQ(windows.foreground, kEditor);
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
  EXPECT_EQ(keys.typed, "x");

  windows.foreground = kEngine;
  settings.TargetSpecified = false;
  EXPECT_FALSE(Deliver("y"));
  EXPECT_EQ(keys.typed, "x");
}

TEST_F(DeliveryTest, StopsTypingWhenThisProgramsWindowComesToTheFrontMidRecord) {
  pump.onEvents.push_back([this] { windows.foreground = kEngine; });
  ASSERT_TRUE(delivery.Activate(settings));
  delivery.Type("ab{DELAY 100}cd", 0);
  EXPECT_EQ(keys.typed, "ab");
}

// Without a target, or with a title of blanks, the keys go to the foreground window.
TEST_F(DeliveryTest, WithoutATargetTheKeysGoToTheForegroundWindow) {
  settings.TargetSpecified = false;
  ASSERT_TRUE(Deliver("abc"));
  settings.TargetSpecified = true;
  settings.TargetAppTitle = "   ";
  ASSERT_TRUE(Deliver("x"));
  EXPECT_EQ(windows.foreground, kEditor);
  EXPECT_TRUE(windows.log.empty());
  EXPECT_EQ(keys.typed, "abcx");
}

// The title it learns is the started window's, unless that window holds the configured one.
TEST_F(DeliveryTest, StartsAMissingProgramWaitsForItAndLearnsItsTitle) {
  settings.TargetAppTitle = "Balance Sheet";
  settings.TargetAppCommand = "ledger --new";
  windows.startedTitle = "Untitled - Ledger";
  const int64_t start = clock.TickMs();
  ASSERT_TRUE(Deliver("1{TAB}"));
  EXPECT_EQ(windows.startedCommands, std::vector<std::string>{"ledger --new"});
  EXPECT_EQ(settings.TargetAppTitle, "UNTITLED - LEDGER");
  EXPECT_EQ(windows.foreground, 100u);  // the started program keeps the focus
  EXPECT_GE(clock.TickMs() - start, 2000);
  EXPECT_EQ(keys.typed, "1{TAB}");

  settings.TargetAppTitle = "Sheet";
  windows.startedTitle = "Balance Sheet 1";
  windows.windows.clear();
  ASSERT_TRUE(delivery.Activate(settings));
  EXPECT_EQ(settings.TargetAppTitle, "SHEET");
}

TEST_F(DeliveryTest, ACommandThatCannotStartIsReportedForEveryRecordAndTheRecordDropped) {
  settings.TargetAppTitle = "nowhere";
  settings.TargetAppCommand = "/opt/none/ledger";
  windows.startError = ENOENT;
  EXPECT_FALSE(Deliver("1"));
  EXPECT_FALSE(Deliver("2"));
  EXPECT_TRUE(keys.events.empty());
  ASSERT_EQ(prompt.messages.size(), 2u);
  EXPECT_EQ(prompt.messages[0].text,
            std::string("Cannot Run Program: /opt/none/ledger\r") + std::strerror(ENOENT));
  EXPECT_EQ(windows.foreground, kEditor);
}

TEST_F(DeliveryTest, GivesUpOnAStartedProgramThatShowsNoWindowWithin30Seconds) {
  settings.TargetAppTitle = "nowhere";
  settings.TargetAppCommand = "daemon";
  EXPECT_FALSE(Deliver("1"));
  EXPECT_GE(clock.TickMs(), kProgramStartTimeoutMs);
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_NE(prompt.messages[0].text.find("daemon"), std::string::npos);
  EXPECT_TRUE(keys.events.empty());
}

TEST_F(DeliveryTest, ACommandLineOfBlanksIsReportedWithoutStartingAnything) {
  settings.TargetAppTitle = "nowhere";
  settings.TargetAppCommand = "  ";
  EXPECT_FALSE(Deliver("1"));
  EXPECT_TRUE(windows.startedCommands.empty());
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text, "Cannot Run Program:   \rThe command line names no program.");
}

}  // namespace
}  // namespace fenno
