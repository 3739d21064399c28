#pragma once

// The running half of the program: activated from the settings, driven by a 50 ms tick
// from its owner, it reads the device, cuts records, completes their fields, delivers
// them, and writes whatever waits to go to the device. Menu commands, buttons, hot keys
// and live-data commands call its operations. Plain C++: it reaches the outside world
// only through the interfaces it is given.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/clock.h"
#include "config/edition.h"
#include "config/settings.h"
#include "engine/engine_control.h"
#include "engine/engine_observer.h"
#include "engine/field_completion.h"
#include "engine/input_pipeline.h"
#include "engine/keystroke_target.h"
#include "engine/log_writer.h"
#include "engine/regional.h"

namespace fenno {

class DdeClient;
class DdeLinks;
class Port;
class Prompt;
class StringTable;

// Everything outside the engine that it uses. Pointers may be null where a service is
// absent (no display for keystrokes, no session bus).
struct EngineServices {
  Port& port;
  const Clock& clock;
  EventPump& events;
  Prompt& prompt;
  const StringTable& strings;
  const RegionalSettings& regional;
  KeystrokeTarget* keystrokes = nullptr;
  DdeClient* ddeClient = nullptr;
  DdeLinks* links = nullptr;
  // True when nobody can answer a question (headless): a failed log write is then retried
  // every second instead of asking, and its message is printed once.
  bool unattended = false;
};

class Engine : public EngineControl, private RecordSink {
 public:
  static constexpr int kTickMs = 50;
  static constexpr int kBreakTicks = 2;

  Engine(const Edition& edition, Settings& settings, const WorkingValues& working,
         ActivationMode mode, EngineServices services);
  ~Engine() override;
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  void AddObserver(EngineObserver* observer) { observers_.push_back(observer); }

  // Activation set-up: timers, framing, translation, buttons, links, initial suspend.
  void Start();
  // The 50 ms tick. A tick that falls due while an earlier one waits inside delivery is
  // skipped.
  void Tick();
  // Unload: ends the command conversation and the links, writes out the log, closes the
  // device.
  void Close();
  // The program is ending (a signal, the Quit menu): a log write that is being retried
  // unattended gives up, and nothing starts to wait any more.
  void RequestStop() { logWriter_.RequestStop(); }
  // Re-runs activation after a new configuration was read into the settings ("{CONFIG(").
  void Restart() override;

  // Engine menu and window operations.
  void ToggleSuspend() override;       // Suspend / resume
  void ResumeForOneRecord() override;  // resume until the next record is delivered
  void Reset() override;
  void ToggleTimedOutput() override;
  void SetTimedOutputRunning(bool running);
  void PushButton(int button) override;  // output-string button 1..20 released over itself
  void ClearFields() override;           // "{CLEAR}"
  void RequestExit() override;           // "{APPEXIT}": quits in the second tick from now
  // The live-data commands that change the timed output interval.
  void SetTimerInterval(int32_t milliseconds) override;

  // Appends to what goes to the device with the next tick.
  void QueueOutput(std::string_view text) override {
    PortOutputQueue.append(text);
    RequestWrite();
  }
  size_t QueuedOutputSize() const override { return PortOutputQueue.size(); }
  // What waits to go to the device with the next tick.
  const std::string& QueuedOutput() const { return PortOutputQueue; }
  // Device line operations; they do nothing in virtual mode or without serial lines.
  void StartBreak() override;
  void PulseDtr() override;
  void SetDtr(bool on) override;
  void SetRts(bool on) override;
  void ChangeBaudRate(int32_t rate) override;
  void ChangeParity(int parityCode) override;
  void ChangeDataBits(int bits) override;
  void ChangeStopBits(int stopBitsCode) override;
  void ShowWindowNormal() override;
  void MinimizeWindow() override;
  void Beep() override;

  // Value written by the output-buffer link: a trailing CR LF is stripped when
  // StripCrLf is set, the rest goes to the device.
  void OutputBufferChanged(std::string text);
  // Asks the next tick to (re)establish the command-source or output-buffer link.
  void RequestCommandLink() { CommandLinkRequest = true; }
  void RequestBufferLink() { BufferLinkRequest = true; }
  // Netfenno: the transport asks for a reset, run at the start of the next tick.
  void RequestReset() { resetRequest_ = true; }

  // Runs `action` now, or, when called from inside a tick (an event handled while
  // delivery waits), as soon as the tick has ended.
  void RunOutsideTick(std::function<void()> action) override;

  // What the engine window shows.
  bool Suspended() const override { return suspended_; }
  bool TimedOutputRunning() const override { return (RunningTimerFlags & kTimerOnAtStart) != 0; }
  bool TimedOutputMenuEnabled() const { return timedOutputMenuEnabled_; }
  bool TimedOutputMenuVisible() const {
    return settings_.TimerInterval != 0 || timedOutputMenuEnabled_;
  }
  bool ResumeForOneRecordShown() const { return suspended_; }
  const std::string& FieldText(int field) const override;
  const std::string& RecordNumberText() const override { return recordNumberText_; }
  const std::string& DateTimeText() const override { return dateTimeText_; }
  const std::string& Caption() const { return caption_; }
  std::string SuspendMenuCaption() const;
  std::string TimedOutputMenuCaption() const;
  ActivationMode Mode() const override { return mode_; }
  const std::string& PortName() const { return working_.PortName; }
  Settings& settings() override { return settings_; }
  // The DDE topic: DDETopic, or the port name (Netfenno: the remote host).
  std::string ServerTopic() const override;
  // True when nothing is waiting: no unread input, no unfinished time-gap record, no
  // output queued. The headless runner ends at the end of its input once this holds.
  bool Idle() const;
  bool InsideTick() const { return inTick_; }
  // A break started by StartBreak is still on the line.
  bool BreakOn() const { return BreakTicks != 0; }

 private:
  bool ProcessRecord() override;

  void BuildPreTransferTable();
  void RunTick();
  void HandleLinkRequests();
  void CountDownBreak();
  void RefreshClock();
  void RunTimedOutput();
  void WriteOutput();
  // Feeds the waiting input; false when the tick must end at once. The tick's reading
  // also ends a time-gap record whose gap has passed.
  bool ReadInput(bool timeGapCheck);
  // The port has bytes: a turn of the event loop reads them.
  void InputArrived();
  void ProcessArrivals();
  void RequestWrite();
  // Posts `turn` once until it has run (`posted` says whether it waits).
  void PostTurn(bool& posted, std::function<void()> turn);
  // The end of a tick or an arrival turn: what waited for it runs.
  void EndBusyTurn();
  void DropRecordOfEndedConnection();
  void CountExitRequest();

  void DeliverRecord();
  void DeliverAsKeystrokes();
  void DeliverToItems();
  void DeliverToLog();
  void AppendRecordText(std::string& text);
  // The field's text as the windows and live data show it; observers hear of changes only.
  void ShowField(int field, const Value& value);
  void ShowField(int field, std::string_view text);
  void AdvanceRecordNumber();
  void WriteOutLog();

  void ResetNow();
  void SetCaption(const std::string& caption);
  void NotifyMenuState();
  std::string ActivationCaption() const;
  std::string SuspendCaption() const;
  bool LinesAvailable() const;
  void ReportOversizeRecord();
  LocalDateTime Now() const { return services_.clock.Now(); }

  const Edition& edition_;
  Settings& settings_;
  const WorkingValues& working_;
  ActivationMode mode_;
  EngineServices services_;
  std::vector<EngineObserver*> observers_;

  // Run-time state, under the names the engine window uses.
  std::string PortOutputQueue;
  int16_t BreakTicks = 0;
  int16_t ExitRequest = 0;
  int16_t RunningTimerFlags = 0;
  int32_t TimedOutputBase = 0;
  bool DdeCommandsWanted = false;
  bool CommandLinkRequest = false;
  bool BufferLinkRequest = false;
  std::array<std::string, kTableSize> PreTransferTable;

  InputPipeline pipeline_;
  FieldCompletion completion_;
  FieldValueSlots values_;
  LogWriter logWriter_;

  std::string pendingInput_;  // taken from the device, not yet framed
  size_t pendingPos_ = 0;
  uint32_t connectionNumber_ = 0;  // of the port, when input was last read

  bool suspended_ = false;
  bool resumeForOneRecord_ = false;
  bool timedOutputMenuEnabled_ = true;
  bool resetRequest_ = false;
  bool inTick_ = false;  // inside a tick or an arrival turn, delivery waits included
  bool arrivalPosted_ = false;
  bool arrivalsWaiting_ = false;  // bytes arrived while the engine was busy
  bool writePosted_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  bool started_ = false;
  std::vector<std::function<void()>> afterTick_;

  std::array<std::string, kMaxFields + 1> fieldTexts_;
  std::string fieldScratch_;      // a number field's text, while it is compared
  std::string recordNumberText_;  // records delivered, in decimal; empty before the first
  std::string dateTimeText_;
  LocalDateTime lastDateTimeShown_{};
  bool dateTimeShown_ = false;
  std::string caption_;
  char decimalSeparator_ = '.';
};

}  // namespace fenno
