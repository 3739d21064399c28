#include "engine/engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <utility>

#include "engine/command_client.h"
#include "engine/data_log.h"
#include "support/engine_rig.h"
#include "support/test_files.h"

namespace fenno {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// The engine on fakes; the fixture itself is the keystroke target, the command client and
// an observer, and writes down what each is told in `told` (keystrokes in `typed`).
class EngineTest : public ::testing::Test,
                   public testing::EngineRig,
                   KeystrokeTarget,
                   DdeClient,
                   EngineObserver {
 protected:
  EngineTest() {
    LogTo("data.log");
    keystrokes = this;
    ddeClient = this;
    observers.push_back(this);
  }
  ~EngineTest() override { Close(); }  // before the fakes it uses go

  void Start(ActivationMode mode = ActivationMode::Normal) {
    EngineRig::Start(mode);
    told.clear();
  }
  void LogTo(const std::string& path) {
    settings.OutputMethod = kLogToDisk;
    settings.LogFilePath = folder.File(path);
  }
  std::string LogText() const { return testing::ReadWholeFile(settings.LogFilePath); }
  void StartTimer(int16_t flags) {
    settings.TimerInterval = 1000;
    settings.TimerFlags = static_cast<int16_t>(kTimerOnAtStart | flags);
    settings.TimerString = "T";
    Start();
    port.output.clear();
    port.operations.clear();
  }

  bool Activate(Settings&) override { return acceptKeys; }
  void Type(std::string_view text, int32_t) override {
    typed.emplace_back(text);
    if (whileTyping) whileTyping();
  }
  void Restore() override { ++restores; }
  bool Connect(const std::string& app, const std::string& topic) override {
    told.push_back("connect " + app + "|" + topic);
    return connected = targetRunning;
  }
  bool IsConnected() const override { return connected; }
  void Execute(std::string_view command) override {
    told.push_back("execute " + std::string(command));
  }
  void Disconnect() override { connected = false; }
  void OnFieldText(int field, const std::string& text) override {
    told.push_back("Field(" + std::to_string(field) + ")=" + text);
  }
  void OnRecordNumber(const std::string& text) override { told.push_back("Record=" + text); }
  void OnQuitRequested() override { ++quits; }
  void OnRestarted() override { ++restarts; }

  testing::ScratchFolder folder;
  Lines told;
  Lines typed;
  std::function<void()> whileTyping;
  bool acceptKeys = true;
  bool targetRunning = true;
  bool connected = false;
  int restores = 0, quits = 0, restarts = 0;
};

// Date and time tags in the preamble and postambles are expanded at their first occurrence,
// in any case, and a replacement never makes a tag that a later step would expand.
TEST_F(EngineTest, KeystrokesTypeEachRecordAndADiscardedRecordIsOnlyCounted) {
  settings.OutputMethod = kSendKeystrokes;
  settings.RecordStructure = kDelimitedFields;
  settings.FieldCount = 2;
  settings.FieldFilter[2] = "N";
  settings.RecordPreamble = "{century}{Year}{MONTH}{YEAR}{MON{DAY}TH}{TAB}";
  settings.FieldPostamble[1] = "{TAB}";
  settings.FieldPostamble[2] = "{DAY}{ENTER}";
  Start();
  Feed("12.5,3\r");
  EXPECT_EQ(typed, (Lines{"202612{YEAR}{MON05TH}{TAB}12.5{TAB}305{ENTER}"}));
  EXPECT_EQ(restores, 1);
  acceptKeys = false;
  Feed("1\r");
  EXPECT_EQ(typed.size(), 1u);
  EXPECT_EQ(restores, 1);
  EXPECT_EQ(engine().RecordNumberText(), "2");
}

// Items are in place before the last postamble's command runs; without commands the
// target is never connected, and a missing target is tried again for each record.
TEST_F(EngineTest, ItemsComeBeforeTheLastCommandAndAMissingTargetIsRetriedPerRecord) {
  settings.OutputMethod = kDdeServer;
  Start();
  Feed("7\r");
  EXPECT_EQ(told, (Lines{"Field(1)=7", "Record=1"}));

  settings.RecordStructure = kDelimitedFields;
  settings.FieldCount = 2;
  settings.RecordPreamble = "[NEW]";
  settings.FieldPostamble[2] = "[RUN(\"Fetch\")]";
  Start();
  Feed("12.5,3\r\n");
  EXPECT_EQ(told, (Lines{"connect Excel|System", "execute [NEW]", "Field(1)=12.5", "Field(2)=3",
                         "Record=1", "execute [RUN(\"Fetch\")]"}));
  connected = targetRunning = false;  // the target has gone
  Feed("8\r9\r");
  EXPECT_EQ(std::count(told.begin(), told.end(), "connect Excel|System"), 3);
}

TEST_F(EngineTest, LogModeWritesOneLinePerRecordAndNothingForVoidRecords) {
  settings.RecordPreamble = "{HOUR}:{MINUTE}:{SECOND},";
  settings.AckString = "\x06";
  settings.PreInputTranslation[21] = kVoidRecordEntry;
  Start();
  Feed("12.5\rbad\x15\r13\r");
  EXPECT_EQ(LogText(), "14:03:09,12.5\r\r\n14:03:09,13\r\r\n");
  EXPECT_EQ(engine().RecordNumberText(), "2");
  Tick();
  EXPECT_EQ(port.output, "\x06\x06\x06");  // the void record is acknowledged too
}

// Fields are completed in order; a converted field then takes its format.
TEST_F(EngineTest, FieldsAreCompletedInOrder) {
  settings.RecordStructure = kDelimitedFields;
  settings.FieldCount = 4;
  settings.Delimiter = ';';
  settings.FieldFilter[3] = "N";
  settings.FieldFormat[1] = "Fixed";
  settings.FieldMathExpr[2] = "field(1)*2";  // sees field 1 finished
  settings.FieldMathExpr[1] = "field(3)+1";  // sees field 3 as it arrived
  settings.FieldFilter[4] = "H";
  settings.FieldFormat[4] = "0;(0);\"zero\"";
  for (int field = 1; field <= 3; ++field) settings.FieldPostamble[field] = ";";
  Start();
  Feed("3;x;4;FFFE\r;;;0000\r");
  EXPECT_EQ(LogText(), "5.00;10;4;(2)\r\n1.00;2;;zero\r\n");
}

// Appends to what was there; a failure names the first unwritten record, a retry writes
// from it on, and a discard drops it and the records after it.
TEST(DataLog, AppendsRetriesAndDiscards) {
  testing::ScratchFolder folder;
  const std::string path = folder.Write("data.log", "old\r\n");
  DataLog log;
  log.Append(std::string("a\0b\r\n", 5));
  EXPECT_FALSE(log.WriteOut(path).has_value());
  EXPECT_EQ(testing::ReadWholeFile(path), std::string("old\r\na\0b\r\n", 10));

  const std::string later = folder.File("later/data.log");
  for (const char* record : {"1\r\n", "2\r\n", "3\r\n"}) log.Append(record);
  const auto failure = log.WriteOut(later);
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->record, 0u);
  log.DiscardFrom(2);
  fs::create_directories(folder.File("later"));
  EXPECT_FALSE(log.WriteOut(later).has_value());
  EXPECT_EQ(testing::ReadWholeFile(later), "1\r\n2\r\n");
}

TEST_F(EngineTest, RetryWritesTheSameRecordOnceThePathWorks) {
  LogTo("later/data.log");
  prompt.ScriptAnswer(PromptAnswer::Retry);
  prompt.onShow = [&](const PromptMessage&) { fs::create_directories(folder.File("later")); };
  Start();
  Feed("1\r2\r");
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].buttons, PromptButtons::RetryCancel);
  EXPECT_TRUE(prompt.messages[0].text.starts_with(
      "File I/O Error Writing To: " + settings.LogFilePath + "\r"));
  EXPECT_EQ(LogText(), "1\r\r\n2\r\r\n");
}

TEST_F(EngineTest, CancelResetsAndSuspendsAndTheLaterRecordsNeverHappened) {
  settings.AckString = "A";
  LogTo("missing/data.log");
  prompt.ScriptAnswer(PromptAnswer::Cancel);
  Start();
  port.input = "1\r2\r3\r";
  Tick(2);
  EXPECT_TRUE(engine().Suspended());
  EXPECT_EQ(engine().RecordNumberText(), "");
  EXPECT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(port.output, "A");  // processing stopped at the failed record
}

// Unattended, a failing write is retried every second until it works and each outage is told
// once, even when it reads like the last one; stopping gives the retry up and says what
// was lost.
TEST_F(EngineTest, EachUnattendedLogOutageIsToldOnceAndRetriedUntilItEndsOrTheRunStops) {
  LogTo("mount/data.log");
  unattended = true;
  Start();
  int waits = 0;
  events.onEvents = [&] {
    if (++waits % 60 == 0) fs::create_directories(folder.File("mount"));  // a minute later
  };
  Feed("1\r2\r");
  EXPECT_EQ(prompt.messages.size(), 1u);
  EXPECT_FALSE(engine().Suspended());
  EXPECT_EQ(LogText(), "1\r\r\n2\r\r\n");
  fs::remove_all(folder.File("mount"));
  Feed("3\r");
  ASSERT_EQ(prompt.messages.size(), 2u);
  EXPECT_EQ(prompt.messages[0].text, prompt.messages[1].text);
  EXPECT_EQ(LogText(), "3\r\r\n") << "the folder was made anew for the third record";

  fs::remove_all(folder.File("mount"));
  events.onEvents = [&] { engine().RequestStop(); };
  Feed("4\r5\r");
  ASSERT_EQ(prompt.messages.size(), 4u);
  EXPECT_NE(prompt.messages[3].text.find("2 records"), std::string::npos);
}

TEST_F(EngineTest, ResumingForOneRecordAndResetting) {
  settings.PreInputTranslation['!'] = kVoidRecordEntry;
  Start();
  engine().ToggleSuspend();
  EXPECT_EQ(engine().Caption(), "Comfenno - COM1 (S)");
  Feed("!\r1\r2\r3\r");
  engine().ResumeForOneRecord();  // a void record does not end it
  Tick();
  EXPECT_EQ(LogText(), "1\r\r\n");
  EXPECT_TRUE(engine().Suspended());
  engine().ToggleSuspend();
  Tick();
  EXPECT_EQ(LogText(), "1\r\r\n2\r\r\n3\r\r\n");

  // A reset while suspended resumes, purges the port and restarts the counter.
  engine().ToggleSuspend();
  engine().Reset();
  EXPECT_FALSE(engine().Suspended());
  EXPECT_EQ(engine().Caption(), "Comfenno - COM1");
  EXPECT_EQ(port.operations.back(), "purge");
  EXPECT_EQ(engine().RecordNumberText(), "");
  Feed("4\r");
  EXPECT_EQ(engine().RecordNumberText(), "1");

  settings.StartSuspended = true;
  engine().Reset();
  EXPECT_TRUE(engine().Suspended());
}

TEST_F(EngineTest, ExitIsRequestedOnTheSecondTickButNotWhileSuspended) {
  Start();
  engine().ToggleSuspend();
  engine().RequestExit();
  Tick(3);
  engine().ToggleSuspend();
  Tick();
  EXPECT_EQ(quits, 0);
  Tick();
  EXPECT_EQ(quits, 1);
}

TEST_F(EngineTest, AnEndedConnectionDropsItsUnfinishedRecordAndClosingSendsTheQueue) {
  settings.AckString = "A";
  Start();
  port.input = "12.";  // the device went away in the middle of a record
  Tick();
  port.connectionNumber = 1;
  Feed("13.5\r");
  EXPECT_EQ(LogText(), "13.5\r\r\n");
  engine().Close();
  EXPECT_EQ(port.output, "A");
  EXPECT_EQ(port.operations.back(), "close");
}

// A partial write keeps the rest queued in order; buttons and the output buffer link queue
// behind it, the link without one trailing CR LF.
TEST_F(EngineTest, APartialWriteKeepsTheRestQueuedInOrder) {
  Start();
  port.writeLimit = 3;
  engine().QueueOutput("ABCDEFG");
  events.RunPosted();
  EXPECT_EQ(port.output, "ABC");
  EXPECT_EQ(engine().QueuedOutput(), "DEFG");
  engine().PushButton(1);  // empty string: nothing
  settings.ButtonString[2] = "xy";
  engine().PushButton(2);
  engine().OutputBufferChanged("z\r\n");
  engine().OutputBufferChanged("\r\n");
  settings.StripCrLf = false;
  engine().OutputBufferChanged("D\r\n");
  Tick(4);
  EXPECT_EQ(port.output, "ABCDEFGxyzD\r\n");
}

// The schedule keeps its phase when ticks are late, re-arms when its base would overflow
// and survives a wrap of the 32-bit tick counter.
TEST_F(EngineTest, TimedOutputKeepsItsPhase) {
  const int64_t top = std::numeric_limits<int32_t>::max();
  const std::vector<std::pair<int64_t, const char*>> runs[] = {
      {{10000, ""}, {10999, ""}, {11000, "T"}, {12030, "TT"}, {13010, "TTT"}},
      {{top - 600, ""}, {top + 400, "T"}, {top + 450, "T"}, {top + 1449, "T"}, {top + 1450, "TT"}},
  };
  for (const auto& run : runs) {
    StartTimer(kTimerSendsString);
    for (const auto& [time, expected] : run) {
      clock.tickMs = time;
      engine().Tick();
      EXPECT_EQ(port.output, expected) << "at " << time;
    }
  }
}

TEST_F(EngineTest, TimedActionsOfTheSerialLines) {
  StartTimer(kTimerIssuesBreak);
  Tick(21);  // arm, then due twenty ticks later
  EXPECT_EQ(port.operations, (Lines{"break on"}));
  Tick(2);
  EXPECT_EQ(port.operations, (Lines{"break on", "break off"}));

  // Virtual mode has no lines, for the timer or anything else.
  Start(ActivationMode::Virtual);
  port.operations.clear();
  Tick(21);
  engine().StartBreak();
  engine().PulseDtr();
  engine().SetRts(true);
  EXPECT_TRUE(port.operations.empty());
  EXPECT_FALSE(engine().BreakOn());

  program = &NetfennoEdition();
  StartTimer(kTimerPulsesDtr);
  Tick(21);
  EXPECT_TRUE(port.operations.empty());
  EXPECT_EQ(port.output, "T");  // the TCP program always sends the timer string
}

TEST_F(EngineTest, TimerIntervalCommandsAndTheMenu) {
  settings.TimerFlags = kTimerSendsString;
  settings.TimerString = "x";
  Start();
  EXPECT_FALSE(engine().TimedOutputMenuEnabled());  // no interval at activation
  engine().SetTimedOutputRunning(true);             // a hot key: without an interval, no action
  Tick(10);
  EXPECT_EQ(port.output, "");
  engine().SetTimerInterval(500);
  EXPECT_TRUE(engine().TimedOutputMenuEnabled());
  engine().SetTimedOutputRunning(true);
  engine().SetTimerInterval(0);
  EXPECT_FALSE(engine().TimedOutputRunning());
  EXPECT_FALSE(engine().TimedOutputMenuEnabled());
}

TEST_F(EngineTest, OptoRsQueryGoesOutWithTheNextTick) {
  settings.FlowControl = kFlowOptoRs;
  Start();
  port.input = "12.5\r?\r";
  Tick(2);
  EXPECT_EQ(port.output, "?\r");
  EXPECT_EQ(LogText(), "12.5\r\r\n");
}

TEST_F(EngineTest, InputIsHandledOnTheTurnAfterItArrivesAndNeverInsideATick) {
  settings.OutputMethod = kSendKeystrokes;
  settings.AckString = "A";
  Start();
  port.Arrive("12.5\r");
  EXPECT_TRUE(typed.empty());  // not from inside the port's notification
  events.RunPosted();          // the next turn of the event loop, before any tick
  EXPECT_EQ(typed, (Lines{"12.5{ENTER}"}));
  EXPECT_EQ(port.output, "A");  // the acknowledgement goes out with its record

  // A record that arrives while another is typed waits for it.
  whileTyping = [&] {
    if (typed.size() != 2) return;
    port.Arrive("2\r");
    events.RunPosted();
  };
  port.Arrive("1\r");
  events.RunPosted();
  EXPECT_EQ(typed, (Lines{"12.5{ENTER}", "1{ENTER}", "2{ENTER}"}));

  // Suspended, the bytes stay with the device; output queued by a button still goes out.
  engine().ToggleSuspend();
  port.Arrive("3\r");
  engine().QueueOutput("Q");
  events.RunPosted();
  EXPECT_EQ(port.input, "3\r");
  EXPECT_EQ(port.output, "AAAQ");
}

TEST_F(EngineTest, EventsDuringDeliveryDoNotReenterTheTickAndResetWaitsForItsEnd) {
  settings.OutputMethod = kSendKeystrokes;
  Start();
  port.input = "1\r2\r";
  whileTyping = [&] {
    engine().Tick();   // a timer that falls due while typing: skipped
    engine().Reset();  // a command in the middle of a record: after the tick
  };
  Tick();
  EXPECT_EQ(typed.size(), 2u);
  EXPECT_EQ(engine().RecordNumberText(), "");  // reset ran after both records
}

TEST_F(EngineTest, RestartReopensThePortAndActivatesTheNewSettingsAfterTheTick) {
  settings.OutputMethod = kSendKeystrokes;
  Start();
  // A command in the middle of a record loads a new configuration.
  bool commandSent = false;
  whileTyping = [&] {
    if (std::exchange(commandSent, true)) return;
    engine().RunOutsideTick([&] {
      settings.OutputMethod = kLogToDisk;
      engine().Restart();
    });
  };
  Feed("1\r2\r");
  EXPECT_EQ(typed.size(), 2u);  // the tick finished under the old settings
  EXPECT_EQ(restarts, 1);
  EXPECT_EQ(port.operations, (Lines{"close"}));
  EXPECT_EQ(port.opens, 1);
  Feed("3\r");
  EXPECT_EQ(LogText(), "3\r\r\n");
}

TEST_F(EngineTest, IdleOnlyWhenNothingWaits) {
  settings.EndOfRecordEvent = kEndTimeGap;
  settings.RecordTimeGap = 2;
  Start();
  Feed("AB");
  EXPECT_FALSE(engine().Idle());  // a time-gap record is open
  Tick(2);
  EXPECT_TRUE(engine().Idle());
  EXPECT_EQ(LogText(), "AB\r\n");
}

}  // namespace
}  // namespace fenno
