#include "engine/engine.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <utility>

#include "engine/command_client.h"
#include "support/engine_rig.h"
#include "support/test_files.h"

namespace fenno {
namespace {

namespace fs = std::filesystem;
using testing::EngineRig;

class FakeKeystrokes : public KeystrokeTarget {
 public:
  bool Activate(Settings&) override { return accept; }
  void Type(std::string_view text, int32_t) override {
    typed.emplace_back(text);
    if (whileTyping) whileTyping();
  }
  void Restore() override { ++restores; }

  bool accept = true;
  std::vector<std::string> typed;
  int restores = 0;
  std::function<void()> whileTyping;
};

class FakeDdeClient : public DdeClient {
 public:
  explicit FakeDdeClient(std::vector<std::string>& events) : events_(events) {}
  bool Connect(const std::string& app, const std::string& topic) override {
    events_.push_back("connect " + app + "|" + topic);
    connected = targetRunning;
    return connected;
  }
  bool IsConnected() const override { return connected; }
  void Execute(std::string_view command) override {
    events_.push_back("execute " + std::string(command));
  }
  void Disconnect() override { connected = false; }

  bool targetRunning = true;
  bool connected = false;

 private:
  std::vector<std::string>& events_;
};

// Records what a window (and the live-data server) would be told, in order.
class RecordingObserver : public EngineObserver {
 public:
  explicit RecordingObserver(std::vector<std::string>& events) : events_(events) {}
  void OnFieldText(int field, const std::string& text) override {
    events_.push_back("Field(" + std::to_string(field) + ")=" + text);
  }
  void OnRecordNumber(const std::string& text) override {
    events_.push_back("RecordNumber=" + text);
  }
  void OnQuitRequested() override { ++quits; }
  int quits = 0;

 private:
  std::vector<std::string>& events_;
};

class EngineTest : public ::testing::Test, public EngineRig {
 protected:
  EngineTest() : dde(itemEvents), observer(itemEvents) {
    logFolder = fs::temp_directory_path() / ("fenno-engine-" + std::to_string(::getpid()));
    fs::remove_all(logFolder);
    fs::create_directories(logFolder);
    settings.LogFilePath = (logFolder / "data.log").string();
    keystrokes = &keys;
    ddeClient = &dde;
    observers.push_back(&observer);
  }
  ~EngineTest() override {
    Close();  // before the fakes it uses go
    ::chmod(logFolder.c_str(), 0755);
    fs::remove_all(logFolder);
  }

  Engine& Start(ActivationMode mode = ActivationMode::Normal) {
    EngineRig::Start(mode);
    itemEvents.clear();
    return engine();
  }
  std::string LogText() const { return testing::ReadWholeFile(settings.LogFilePath); }

  FakeKeystrokes keys;
  std::vector<std::string> itemEvents;
  FakeDdeClient dde;
  RecordingObserver observer;
  fs::path logFolder;
};

// --- Delivery -------------------------------------------------------------------------

TEST_F(EngineTest, KeystrokeModeTypesEachRecordWithTheDefaultTable) {
  Start();
  port.input = "12.5\r\n13.0\r\n";
  Tick();
  EXPECT_EQ(keys.typed, (std::vector<std::string>{"12.5{ENTER}", "13.0{ENTER}"}));
  EXPECT_EQ(keys.restores, 2);
  EXPECT_EQ(engine().RecordNumberText(), "2");
  EXPECT_EQ(engine().FieldText(1), "13.0{ENTER}");
}

TEST_F(EngineTest, KeystrokeRecordTextExpandsTagsInPreambleAndPostambles) {
  settings.RecordStructure = kDelimitedFields;
  settings.FieldCount = 2;
  settings.FieldFilter[2] = "N";
  settings.RecordPreamble = "{YEAR}{MONTH}{DAY}{TAB}";
  settings.FieldPostamble[1] = "{TAB}";
  settings.FieldPostamble[2] = "{ENTER}";
  Start();
  port.input = "12.5,3\r";
  Tick();
  EXPECT_EQ(keys.typed, (std::vector<std::string>{"261205{TAB}12.5{TAB}3{ENTER}"}));
}

TEST_F(EngineTest, ADiscardedKeystrokeRecordIsNotTypedButCounted) {
  keys.accept = false;
  Start();
  port.input = "1\r";
  Tick();
  EXPECT_TRUE(keys.typed.empty());
  EXPECT_EQ(keys.restores, 0);
  EXPECT_EQ(engine().RecordNumberText(), "1");
}

TEST_F(EngineTest, ItemsAreInPlaceBeforeTheLastPostambleCommand) {
  settings.OutputMethod = kDdeServer;
  settings.RecordStructure = kDelimitedFields;
  settings.FieldCount = 2;
  settings.RecordPreamble = "[NEW]";
  settings.FieldPostamble[2] = "[RUN(\"Fetch\")]";
  Start();
  port.input = "12.5,3\r\n";
  Tick();
  EXPECT_EQ(itemEvents,
            (std::vector<std::string>{"connect Excel|System", "execute [NEW]", "Field(1)=12.5",
                                      "Field(2)=3", "RecordNumber=1", "execute [RUN(\"Fetch\")]"}));
}

TEST_F(EngineTest, ItemsWithoutCommandsNeverConnectAndAMissingTargetIsRetriedPerRecord) {
  settings.OutputMethod = kDdeServer;
  Start();
  port.input = "7\r";
  Tick();
  EXPECT_EQ(itemEvents, (std::vector<std::string>{"Field(1)=7", "RecordNumber=1"}));

  settings.FieldPostamble[1] = "[GO]";
  dde.targetRunning = false;
  Start();
  port.input = "8\r9\r";
  Tick();
  EXPECT_EQ(itemEvents,
            (std::vector<std::string>{"connect Excel|System", "Field(1)=8", "RecordNumber=1",
                                      "connect Excel|System", "Field(1)=9", "RecordNumber=2"}));
}

TEST_F(EngineTest, LogModeWritesOneLinePerRecordAndNothingForVoidRecords) {
  settings.OutputMethod = kLogToDisk;
  settings.RecordPreamble = "{HOUR}:{MINUTE}:{SECOND},";
  settings.AckString = "\x06";
  settings.PreInputTranslation[21] = kVoidRecordEntry;
  Start();
  port.input = "12.5\rbad\x15\r13\r";
  Tick();
  EXPECT_EQ(LogText(), "14:03:09,12.5\r\r\n14:03:09,13\r\r\n");
  EXPECT_EQ(engine().RecordNumberText(), "2");
  Tick();
  EXPECT_EQ(port.output, "\x06\x06\x06");  // the void record is acknowledged too
}

TEST_F(EngineTest, FieldsAreCompletedInOrder) {
  settings.OutputMethod = kLogToDisk;
  settings.RecordStructure = kDelimitedFields;
  settings.FieldCount = 3;
  settings.Delimiter = ';';
  settings.FieldFilter[3] = "N";
  settings.FieldFormat[1] = "Fixed";
  settings.FieldMathExpr[2] = "field(1)*2";  // sees field 1 finished
  settings.FieldMathExpr[1] = "field(3)+1";  // sees field 3 as it arrived
  settings.FieldPostamble[1] = ";";
  settings.FieldPostamble[2] = ";";
  Start();
  port.input = "3;x;4\r";
  Tick();
  // Field 1 computes from field 3 as it arrived (4 + 1, then "Fixed"); field 2 sees
  // field 1 finished ("5.00" * 2).
  EXPECT_EQ(LogText(), "5.00;10;4\r\n");
}

// --- The data log's error handling ----------------------------------------------------

TEST_F(EngineTest, RetryWritesTheSameRecordOnceThePathWorks) {
  settings.OutputMethod = kLogToDisk;
  settings.LogFilePath = (logFolder / "later" / "data.log").string();
  prompt.ScriptAnswer(PromptAnswer::Retry);
  prompt.onShow = [&](const PromptMessage&) { fs::create_directories(logFolder / "later"); };
  Start();
  port.input = "1\r2\r";
  Tick();
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].buttons, PromptButtons::RetryCancel);
  EXPECT_EQ(
      prompt.messages[0].text.rfind("File I/O Error Writing To: " + settings.LogFilePath + "\r", 0),
      0u);
  EXPECT_EQ(LogText(), "1\r\r\n2\r\r\n");
}

TEST_F(EngineTest, CancelResetsAndSuspendsAndTheLaterRecordsNeverHappened) {
  settings.OutputMethod = kLogToDisk;
  settings.AckString = "A";
  settings.LogFilePath = (logFolder / "missing" / "data.log").string();
  prompt.ScriptAnswer(PromptAnswer::Cancel);
  Start();
  port.input = "1\r2\r3\r";
  Tick();
  EXPECT_TRUE(engine().Suspended());
  EXPECT_EQ(engine().RecordNumberText(), "");
  EXPECT_EQ(prompt.messages.size(), 1u);
  Tick();
  // Only the first record's acknowledgement: processing stopped at the failed record.
  EXPECT_EQ(port.output, "A");
}

// Unattended, a failing write is retried every second until it works and each outage is told
// once, even when it reads like the last one.
TEST_F(EngineTest, EachUnattendedLogOutageIsToldOnceAndRetriedUntilItEnds) {
  settings.OutputMethod = kLogToDisk;
  const fs::path folder = logFolder / "mount";
  settings.LogFilePath = (folder / "data.log").string();
  unattended = true;
  Start();
  int waits = 0;
  events.onEvents = [&] {
    if (++waits % 60 == 0) fs::create_directories(folder);  // a minute later
  };
  port.input = "1\r2\r";
  Tick();
  EXPECT_EQ(prompt.messages.size(), 1u);
  EXPECT_FALSE(engine().Suspended());
  EXPECT_EQ(LogText(), "1\r\r\n2\r\r\n");
  fs::remove_all(folder);
  port.input = "3\r";
  Tick();
  ASSERT_EQ(prompt.messages.size(), 2u);
  EXPECT_EQ(prompt.messages[0].text, prompt.messages[1].text);
  EXPECT_EQ(LogText(), "3\r\r\n") << "the folder was made anew for the third record";
}

TEST_F(EngineTest, StoppingGivesUpAnUnattendedRetryAndSaysWhatWasLost) {
  settings.OutputMethod = kLogToDisk;
  settings.LogFilePath = (logFolder / "never" / "data.log").string();
  unattended = true;
  Start();
  events.onEvents = [&] { engine().RequestStop(); };
  port.input = "1\r2\r";
  Tick();
  ASSERT_EQ(prompt.messages.size(), 2u);
  EXPECT_NE(prompt.messages[1].text.find("2 records"), std::string::npos);
}

// --- Run states -----------------------------------------------------------------------

// A void record does not end a one-record resumption.
TEST_F(EngineTest, ResumeForOneRecordDeliversOneAndLeavesTheRestWaiting) {
  settings.OutputMethod = kLogToDisk;
  settings.PreInputTranslation['!'] = kVoidRecordEntry;
  Start();
  engine().ToggleSuspend();
  port.input = "!\r1\r2\r3\r";
  Tick();
  EXPECT_EQ(LogText(), "");
  engine().ResumeForOneRecord();
  Tick();
  EXPECT_EQ(LogText(), "1\r\r\n");
  EXPECT_TRUE(engine().Suspended());
  EXPECT_TRUE(engine().ResumeForOneRecordShown());
  engine().ToggleSuspend();
  Tick();
  EXPECT_EQ(LogText(), "1\r\r\n2\r\r\n3\r\r\n");
}

TEST_F(EngineTest, ResetWhileSuspendedResumesAndRestartsTheCounter) {
  settings.OutputMethod = kLogToDisk;
  Start();
  port.input = "1\r";
  Tick();
  engine().ToggleSuspend();
  EXPECT_EQ(engine().Caption(), "Comfenno - COM1 (S)");
  engine().Reset();
  EXPECT_FALSE(engine().Suspended());
  EXPECT_EQ(engine().RecordNumberText(), "");
  EXPECT_EQ(engine().Caption(), "Comfenno - COM1");
  port.input = "2\r";
  Tick();
  EXPECT_EQ(engine().RecordNumberText(), "1");
  EXPECT_EQ(port.operations.back(), "purge");

  settings.StartSuspended = true;
  engine().Reset();
  EXPECT_TRUE(engine().Suspended());
}

TEST_F(EngineTest, ExitIsRequestedOnTheSecondTickButNotWhileSuspended) {
  Start();
  engine().ToggleSuspend();
  engine().RequestExit();
  Tick(3);
  EXPECT_EQ(observer.quits, 0);
  engine().ToggleSuspend();
  Tick();
  EXPECT_EQ(observer.quits, 0);
  Tick();
  EXPECT_EQ(observer.quits, 1);
}

// --- Output to the device -------------------------------------------------------------

TEST_F(EngineTest, ClosingSendsWhatIsQueuedBeforeThePortCloses) {
  settings.AckString = "A";
  Start();
  port.input = "1\r2\r";
  Tick();
  engine().Close();
  EXPECT_EQ(port.output, "AA");
  EXPECT_EQ(port.operations.back(), "close");
}

TEST_F(EngineTest, ARecordLeftUnfinishedByAnEndedConnectionIsDropped) {
  settings.OutputMethod = kLogToDisk;
  Start();
  port.input = "12.";  // the device went away in the middle of a record
  Tick();
  port.connectionNumber = 1;
  port.input = "13.5\r";
  Tick();
  EXPECT_EQ(LogText(), "13.5\r\r\n");
}

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
  Tick(2);
  EXPECT_EQ(port.output, "ABCDEFGxy");
}

TEST_F(EngineTest, TimedOutputKeepsItsPhaseWhenTicksAreLate) {
  settings.TimerInterval = 1000;
  settings.TimerFlags = kTimerOnAtStart | kTimerSendsString;
  settings.TimerString = "T";
  Start();
  clock.tickMs = 10000;
  engine().Tick();  // armed at 10000
  const int64_t tickTimes[] = {10999, 11000, 11980, 12030, 12990, 13100, 13500};
  const char* expected[] = {"", "T", "T", "TT", "TT", "TTT", "TTT"};
  for (size_t i = 0; i < std::size(tickTimes); ++i) {
    clock.tickMs = tickTimes[i];
    engine().Tick();
    EXPECT_EQ(port.output, expected[i]) << "at " << tickTimes[i];
  }
}

TEST_F(EngineTest, TimedOutputRearmsWhenItsBaseWouldOverflowAndSurvivesACounterWrap) {
  settings.TimerInterval = 1000;
  settings.TimerFlags = kTimerOnAtStart | kTimerSendsString;
  settings.TimerString = "T";
  Start();
  const int64_t top = std::numeric_limits<int32_t>::max();
  clock.tickMs = top - 600;
  engine().Tick();           // armed
  clock.tickMs = top + 400;  // the 32-bit counter has wrapped, and the action is due
  engine().Tick();
  EXPECT_EQ(port.output, "T");
  clock.tickMs = top + 450;
  engine().Tick();
  clock.tickMs = top + 1449;
  engine().Tick();
  EXPECT_EQ(port.output, "T");
  clock.tickMs = top + 1450;
  engine().Tick();
  EXPECT_EQ(port.output, "TT");
}

TEST_F(EngineTest, TimedActionsOfTheSerialLines) {
  settings.TimerInterval = 1000;
  settings.TimerFlags = kTimerOnAtStart | kTimerIssuesBreak;
  Start();
  Tick(21);  // arm, then due twenty ticks later
  EXPECT_EQ(port.operations, (std::vector<std::string>{"break on"}));
  Tick(2);
  EXPECT_EQ(port.operations, (std::vector<std::string>{"break on", "break off"}));

  // Virtual mode has no lines, for the timer or anything else.
  Start(ActivationMode::Virtual);
  port.operations.clear();
  Tick(21);
  engine().StartBreak();
  engine().PulseDtr();
  engine().SetRts(true);
  EXPECT_TRUE(port.operations.empty());
  EXPECT_FALSE(engine().BreakOn());

  settings.TimerFlags = kTimerOnAtStart | kTimerPulsesDtr;
  settings.TimerString = "T";
  program = &NetfennoEdition();
  Start();
  port.operations.clear();
  port.output.clear();
  Tick(21);
  EXPECT_TRUE(port.operations.empty());
  EXPECT_FALSE(port.output.empty());  // the TCP program always sends the timer string
}

TEST_F(EngineTest, TimerIntervalCommandsAndTheMenu) {
  settings.TimerFlags = kTimerSendsString;
  Start();
  EXPECT_FALSE(engine().TimedOutputMenuEnabled());  // no interval at activation
  engine().SetTimedOutputRunning(true);             // a hot key: without an interval, no action
  settings.TimerString = "x";
  Tick(10);
  EXPECT_EQ(port.output, "");
  engine().SetTimerInterval(500);
  EXPECT_TRUE(engine().TimedOutputMenuEnabled());
  engine().SetTimedOutputRunning(true);
  EXPECT_EQ(engine().TimedOutputMenuCaption(), "&Disable Timed Output");
  engine().SetTimerInterval(0);
  EXPECT_FALSE(engine().TimedOutputRunning());
  EXPECT_FALSE(engine().TimedOutputMenuEnabled());
}

TEST_F(EngineTest, OptoRsQueryGoesOutWithTheNextTick) {
  settings.FlowControl = kFlowOptoRs;
  settings.OutputMethod = kLogToDisk;
  Start();
  port.input = "12.5\r?\r";
  Tick(2);
  EXPECT_EQ(port.output, "?\r");
  EXPECT_EQ(LogText(), "12.5\r\r\n");
}

TEST_F(EngineTest, OutputBufferLinkStripsOneTrailingCrLf) {
  Start();
  engine().OutputBufferChanged("ABC\r\n");
  engine().OutputBufferChanged("\r\n");
  settings.StripCrLf = false;
  engine().OutputBufferChanged("D\r\n");
  Tick();
  EXPECT_EQ(port.output, "ABCD\r\n");
}

// --- Input on arrival -----------------------------------------------------------------

TEST_F(EngineTest, InputIsHandledOnTheTurnAfterItArrivesAndNeverInsideATick) {
  settings.AckString = "A";
  Start();
  port.Arrive("12.5\r");
  EXPECT_TRUE(keys.typed.empty());  // not from inside the port's notification
  events.RunPosted();               // the next turn of the event loop, before any tick
  EXPECT_EQ(keys.typed, (std::vector<std::string>{"12.5{ENTER}"}));
  EXPECT_EQ(port.output, "A");  // the acknowledgement goes out with its record

  // A record that arrives while another is typed waits for it.
  keys.whileTyping = [&] {
    if (keys.typed.size() != 2) return;
    port.Arrive("2\r");
    events.RunPosted();
  };
  port.Arrive("1\r");
  events.RunPosted();
  EXPECT_EQ(keys.typed, (std::vector<std::string>{"12.5{ENTER}", "1{ENTER}", "2{ENTER}"}));

  // Suspended, the bytes stay with the device; output queued by a button still goes out.
  engine().ToggleSuspend();
  port.Arrive("3\r");
  engine().QueueOutput("Q");
  events.RunPosted();
  EXPECT_EQ(port.input, "3\r");
  EXPECT_EQ(port.output, "AAAQ");
}

// --- Re-entry while delivery waits ----------------------------------------------------

TEST_F(EngineTest, EventsDuringDeliveryDoNotReenterTheTickAndResetWaitsForItsEnd) {
  Start();
  port.input = "1\r2\r";
  keys.whileTyping = [&] {
    engine().Tick();   // a timer that falls due while typing: skipped
    engine().Reset();  // a command in the middle of a record: after the tick
    engine().QueueOutput("S");
  };
  Tick();
  EXPECT_EQ(keys.typed.size(), 2u);
  EXPECT_EQ(engine().RecordNumberText(), "");  // reset ran after both records
}

TEST_F(EngineTest, RestartReopensThePortAndActivatesTheNewSettingsAfterTheTick) {
  struct RestartCounter : EngineObserver {
    int restarts = 0;
    void OnRestarted() override { ++restarts; }
  } counter;
  Start();
  engine().AddObserver(&counter);
  // A command in the middle of a record loads a new configuration.
  bool commandSent = false;
  keys.whileTyping = [&] {
    if (std::exchange(commandSent, true)) return;
    engine().RunOutsideTick([&] {
      settings.OutputMethod = kLogToDisk;
      engine().Restart();
    });
  };
  port.input = "1\r2\r";
  Tick();
  EXPECT_EQ(keys.typed.size(), 2u);  // the tick finished under the old settings
  EXPECT_EQ(counter.restarts, 1);
  EXPECT_EQ(port.operations, (std::vector<std::string>{"close"}));
  EXPECT_EQ(port.opens, 1);
  port.input = "3\r";
  Tick();
  EXPECT_EQ(LogText(), "3\r\r\n");
}

TEST_F(EngineTest, IdleOnlyWhenNothingWaits) {
  settings.EndOfRecordEvent = kEndTimeGap;
  settings.RecordTimeGap = 2;
  settings.OutputMethod = kLogToDisk;
  Start();
  port.input = "AB";
  Tick();
  EXPECT_FALSE(engine().Idle());  // a time-gap record is open
  Tick(2);
  EXPECT_TRUE(engine().Idle());
  EXPECT_EQ(LogText(), "AB\r\n");
}

}  // namespace
}  // namespace fenno
