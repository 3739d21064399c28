#include "engine/engine.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "base/prompt.h"
#include "base/string_ids.h"
#include "base/string_table.h"
#include "engine/command_client.h"
#include "engine/date_time_tags.h"
#include "engine/engine_text_ids.h"
#include "engine/formatter.h"
#include "engine/port.h"

namespace fenno {
namespace {

constexpr size_t kReadChunk = 64 * 1024;

// Guards the tick against re-entry from events handled while delivery waits.
class TickScope {
 public:
  explicit TickScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~TickScope() { flag_ = false; }
  TickScope(const TickScope&) = delete;
  TickScope& operator=(const TickScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

Engine::Engine(const Edition& edition, Settings& settings, const WorkingValues& working,
               ActivationMode mode, EngineServices services)
    : edition_(edition),
      settings_(settings),
      working_(working),
      mode_(mode),
      services_(services),
      pipeline_(settings, *this),
      completion_(settings, working, services.regional),
      logWriter_(settings, services.prompt, services.strings, services.clock, services.events,
                 services.unattended) {}

Engine::~Engine() {
  // Turns already posted to the event loop find the engine gone.
  *alive_ = false;
  services_.port.SetArrivalHandler(nullptr);
}

// ---------------------------------------------------------------------------------------
// Activation

void Engine::Start() {
  decimalSeparator_ = DecimalSeparatorOf(services_.regional);
  RunningTimerFlags = settings_.TimerFlags;
  TimedOutputBase = 0;
  suspended_ = false;
  resumeForOneRecord_ = false;
  ExitRequest = 0;
  SetCaption(ActivationCaption());

  timedOutputMenuEnabled_ = true;
  if (settings_.TimerInterval == 0) {
    RunningTimerFlags = static_cast<int16_t>(RunningTimerFlags & ~kTimerOnAtStart);
    timedOutputMenuEnabled_ = false;
  }

  for (int field = 1; field <= kMaxFields; ++field) fieldTexts_[field].clear();
  for (Value& value : values_) value.Clear();
  recordNumberText_.clear();
  pendingInput_.clear();
  pendingPos_ = 0;
  connectionNumber_ = services_.port.ConnectionNumber();

  BuildPreTransferTable();
  const bool dropsControl = settings_.OutputMethod != kLogToDisk;
  std::array<bool, kTableSize> drops{};
  for (int code = 0; code < kTableSize; ++code)
    drops[code] = dropsControl && PreTransferTable[code] == std::string(1, '\0');
  pipeline_.Activate(drops, decimalSeparator_);
  completion_.SetPreTransferTable(PreTransferTable, dropsControl);

  DdeCommandsWanted = false;
  if (settings_.OutputMethod == kDdeServer) {
    DdeCommandsWanted = !settings_.RecordPreamble.empty();
    for (int field = 1; field <= settings_.FieldCount && !DdeCommandsWanted; ++field)
      DdeCommandsWanted = !settings_.FieldPostamble[field].empty();
  }

  dateTimeShown_ = false;
  dateTimeText_.clear();
  started_ = true;
  for (EngineObserver* observer : observers_) {
    for (int field = 1; field <= settings_.FieldCount; ++field) observer->OnFieldText(field, "");
    observer->OnRecordNumber("");
  }

  if (services_.links) {
    if (!settings_.CommandLinkApp.empty() && !settings_.CommandLinkTopic.empty() &&
        settings_.CommandLinkAuto)
      services_.links->EstablishCommandLink();
    if (!settings_.BufferLinkApp.empty() && !settings_.BufferLinkTopic.empty() &&
        settings_.BufferLinkAuto)
      services_.links->EstablishBufferLink();
  }
  if (settings_.StartSuspended) ToggleSuspend();
  NotifyMenuState();
  services_.port.SetArrivalHandler([this] { InputArrived(); });
}

void Engine::BuildPreTransferTable() {
  PreTransferTable = PreTransferTableFor(settings_);
}

void Engine::Close() {
  if (!started_) return;
  services_.port.SetArrivalHandler(nullptr);
  WriteOutLog();
  // What is queued for the device (acknowledgements of records just logged) goes out
  // before the port closes.
  WriteOutput();
  if (services_.ddeClient) services_.ddeClient->Disconnect();
  if (services_.links) services_.links->DropLinks();
  if (mode_ != ActivationMode::Virtual) services_.port.Close();
  started_ = false;
}

void Engine::Restart() {
  RunOutsideTick([this] {
    WriteOutLog();
    if (services_.ddeClient) services_.ddeClient->Disconnect();
    if (mode_ != ActivationMode::Virtual) {
      services_.port.Close();
      services_.port.Open();
    }
    Start();
    for (EngineObserver* observer : observers_) observer->OnRestarted();
  });
}

// ---------------------------------------------------------------------------------------
// The tick

void Engine::Tick() {
  if (inTick_ || !started_) return;
  {
    TickScope scope(inTick_);
    RunTick();
    // The log first: a log write the user cancels withdraws its records' acknowledgements.
    WriteOutLog();
    WriteOutput();
  }
  EndBusyTurn();
}

// Bytes read as they arrive go through the same framing, completion and delivery as the
// tick's own reading, on a turn of the event loop of their own: never inside a tick or a
// delivery wait, where the turn is taken again once the engine is free.
void Engine::InputArrived() {
  PostTurn(arrivalPosted_, [this] { ProcessArrivals(); });
}

void Engine::ProcessArrivals() {
  if (!started_) return;
  if (inTick_) {
    arrivalsWaiting_ = true;
    return;
  }
  {
    TickScope scope(inTick_);
    if (!suspended_) ReadInput(false);
    WriteOutLog();
    WriteOutput();
  }
  EndBusyTurn();
}

// Output queued from outside a tick or an arrival (a button, a hot key, a command) goes to
// the device on the next turn; inside them it goes when they end.
void Engine::RequestWrite() {
  if (inTick_ || !started_) return;
  PostTurn(writePosted_, [this] {
    if (started_ && !inTick_) WriteOutput();
  });
}

void Engine::PostTurn(bool& posted, std::function<void()> turn) {
  if (posted) return;
  posted = true;
  services_.events.Post([alive = std::weak_ptr<bool>(alive_), &posted, turn = std::move(turn)] {
    const std::shared_ptr<bool> engineAlive = alive.lock();
    if (!engineAlive || !*engineAlive) return;
    posted = false;
    turn();
  });
}

void Engine::EndBusyTurn() {
  std::vector<std::function<void()>> actions;
  actions.swap(afterTick_);
  for (auto& action : actions) action();
  if (arrivalsWaiting_) {
    arrivalsWaiting_ = false;
    InputArrived();
  }
}

void Engine::RunTick() {
  if (resetRequest_) {
    resetRequest_ = false;
    ResetNow();
    for (EngineObserver* observer : observers_) observer->OnReset();
  }
  HandleLinkRequests();
  CountDownBreak();
  RefreshClock();
  RunTimedOutput();
  WriteOutput();
  if (suspended_) return;
  pipeline_.IdleTick();
  if (!ReadInput(true)) return;
  CountExitRequest();
}

void Engine::HandleLinkRequests() {
  if (CommandLinkRequest) {
    CommandLinkRequest = false;
    if (services_.links) services_.links->EstablishCommandLink();
  }
  if (BufferLinkRequest) {
    BufferLinkRequest = false;
    if (services_.links) services_.links->EstablishBufferLink();
  }
}

void Engine::CountDownBreak() {
  if (BreakTicks == 0 || !edition_.IsSerial()) return;
  if (--BreakTicks == 0 && LinesAvailable()) services_.port.SetBreak(false);
}

void Engine::RefreshClock() {
  if (!settings_.ShowDateTime) return;
  LocalDateTime now = Now();
  now.millisecond = 0;
  if (dateTimeShown_ && now == lastDateTimeShown_) return;
  lastDateTimeShown_ = now;
  dateTimeShown_ = true;
  const std::optional<std::string> text =
      FormatDateTime(now, settings_.DateTimeFormat, services_.regional);
  if (!text || *text == dateTimeText_) return;
  dateTimeText_ = *text;
  for (EngineObserver* observer : observers_) observer->OnDateTime(dateTimeText_);
}

void Engine::RunTimedOutput() {
  // Without an interval there is no schedule: timed output switched on by a hot key or
  // the menu would otherwise act on every tick.
  if (!TimedOutputRunning() || settings_.TimerInterval <= 0) {
    TimedOutputBase = 0;
    return;
  }
  // The schedule keeps the tick counter as a 32-bit value; the elapsed time is computed
  // modulo 2^32 so a counter that wraps does not stall the schedule.
  const uint32_t now = static_cast<uint32_t>(services_.clock.TickMs());
  if (TimedOutputBase == 0) {
    TimedOutputBase = static_cast<int32_t>(now);
    return;
  }
  const uint32_t elapsed = now - static_cast<uint32_t>(TimedOutputBase);
  if (elapsed > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()) ||
      static_cast<int64_t>(elapsed) < settings_.TimerInterval)
    return;

  const bool virtualMode = mode_ == ActivationMode::Virtual;
  if (!edition_.IsSerial()) {
    QueueOutput(settings_.TimerString);
  } else if (RunningTimerFlags & kTimerPulsesDtr) {
    if (!virtualMode) PulseDtr();
  } else if (!(RunningTimerFlags & kTimerIssuesBreak)) {
    QueueOutput(settings_.TimerString);
  } else if (!virtualMode) {
    StartBreak();
  }
  // The next action is due one interval after this one was, however late this tick is.
  const int64_t next = static_cast<int64_t>(TimedOutputBase) + settings_.TimerInterval;
  TimedOutputBase = next > std::numeric_limits<int32_t>::max() ? 0 : static_cast<int32_t>(next);
}

void Engine::WriteOutput() {
  if (PortOutputQueue.empty()) return;
  const size_t written = services_.port.Write(PortOutputQueue);
  PortOutputQueue.erase(0, std::min(written, PortOutputQueue.size()));
}

bool Engine::ReadInput(bool timeGapCheck) {
  for (;;) {
    if (pendingPos_ == pendingInput_.size()) {
      pendingInput_.clear();
      pendingPos_ = 0;
      DropRecordOfEndedConnection();
      if (services_.port.Read(pendingInput_, kReadChunk) == 0) {
        return !timeGapCheck || !pipeline_.TimeGapCheck();
      }
    }
    bool endTick = false;
    pendingPos_ +=
        pipeline_.FeedBytes(std::string_view(pendingInput_).substr(pendingPos_), endTick);
    if (endTick) return false;
  }
}

// A record the device left unfinished when its connection ended (a serial adapter pulled
// out, a peer gone) would otherwise be joined to the first record of the next connection.
void Engine::DropRecordOfEndedConnection() {
  const uint32_t connection = services_.port.ConnectionNumber();
  if (connection == connectionNumber_) return;
  connectionNumber_ = connection;
  if (pipeline_.InsideRecord()) pipeline_.AbandonRecord();
}

void Engine::CountExitRequest() {
  if (ExitRequest == 0) return;
  ExitRequest = static_cast<int16_t>(ExitRequest + 2);
  if (ExitRequest > 2) {
    ExitRequest = 0;
    for (EngineObserver* observer : observers_) observer->OnQuitRequested();
  }
}

// ---------------------------------------------------------------------------------------
// Records

bool Engine::ProcessRecord() {
  if (settings_.OutputMethod == kLogToDisk) logWriter_.RecordStarts(PortOutputQueue.size());
  if (!settings_.AckString.empty()) QueueOutput(settings_.AckString);
  if (settings_.BeepOnInput) services_.prompt.Beep();
  ReportOversizeRecord();
  if (pipeline_.RecordIsVoid()) {
    pipeline_.DropRecord();
    if (settings_.OutputMethod == kLogToDisk) logWriter_.RecordVoided();
    return false;
  }
  // Every slot up to the highest the framing wrote, and every field, takes part.
  const int lastSlot = std::max(pipeline_.HighestSlot(), static_cast<int>(settings_.FieldCount));
  for (int slot = 1; slot <= lastSlot; ++slot) {
    Value& value = values_[static_cast<size_t>(slot)];
    if (pipeline_.FieldValue(slot).empty())
      value.Clear();
    else
      pipeline_.HandOverFieldValue(slot, value);
  }
  pipeline_.DropRecord();
  completion_.CompleteFields(values_);
  DeliverRecord();
  for (int slot = 1; slot <= lastSlot; ++slot) values_[static_cast<size_t>(slot)].Clear();
  if (logWriter_.ShouldWriteOut()) WriteOutLog();

  if (resumeForOneRecord_) {
    ToggleSuspend();
    resumeForOneRecord_ = false;
  }
  // Suspended by now (one record only, or a hot key, command or log error while the
  // record was delivered): the rest of the input waits for the resume.
  return suspended_;
}

void Engine::ReportOversizeRecord() {
  if (!pipeline_.TakeOversizeRecordNotice()) return;
  const StringTable& strings = services_.strings;
  services_.prompt.Show(
      {strings.Format(str::kRecordTooLong, {std::to_string(InputPipeline::kMaxRecordBytes)}),
       strings.Text(str::kRecordTooLongTitle), PromptButtons::Ok, PromptIcon::Exclamation});
}

void Engine::DeliverRecord() {
  switch (settings_.OutputMethod) {
    case kSendKeystrokes:
      DeliverAsKeystrokes();
      break;
    case kDdeServer:
      DeliverToItems();
      break;
    default:
      DeliverToLog();
      break;
  }
}

void Engine::DeliverAsKeystrokes() {
  for (int field = 1; field <= settings_.FieldCount; ++field)
    ShowField(field, values_[static_cast<size_t>(field)]);
  AdvanceRecordNumber();
  if (!services_.keystrokes || !services_.keystrokes->Activate(settings_)) return;
  std::string text;
  AppendRecordText(text);
  services_.keystrokes->Type(text, settings_.InterCharDelay);
  services_.keystrokes->Restore();
}

void Engine::DeliverToItems() {
  DdeClient* client = services_.ddeClient;
  if (client && DdeCommandsWanted && !client->IsConnected())
    client->Connect(settings_.DdeTargetApp, settings_.DdeTargetTopic);
  const bool connected = client && client->IsConnected();
  if (connected && !settings_.RecordPreamble.empty()) client->Execute(settings_.RecordPreamble);
  for (int field = 1; field <= settings_.FieldCount; ++field) {
    ShowField(field, values_[static_cast<size_t>(field)]);
    if (field == settings_.FieldCount) AdvanceRecordNumber();
    const std::string& postamble = settings_.FieldPostamble[field];
    if (client && client->IsConnected() && !postamble.empty()) client->Execute(postamble);
  }
}

void Engine::DeliverToLog() {
  logWriter_.AppendWith([this](std::string& log) {
    AppendRecordText(log);
    log += "\r\n";
  });
  for (int field = 1; field <= settings_.FieldCount; ++field)
    ShowField(field, values_[static_cast<size_t>(field)]);
  AdvanceRecordNumber();
}

void Engine::AppendRecordText(std::string& text) {
  // The clock is read once per record, and only when a text holds a tag.
  std::optional<LocalDateTime> now;
  const auto append = [&](const std::string& piece) {
    if (piece.empty()) return;
    if (piece.find('{') == std::string::npos) {
      text += piece;
      return;
    }
    if (!now) now = Now();
    text += ExpandDateTimeTags(piece, *now);
  };
  append(settings_.RecordPreamble);
  for (int field = 1; field <= settings_.FieldCount; ++field) {
    values_[static_cast<size_t>(field)].AppendTextTo(text);
    append(settings_.FieldPostamble[field]);
  }
}

void Engine::ShowField(int field, const Value& value) {
  if (const std::string* text = value.TextIfText()) return ShowField(field, *text);
  fieldScratch_.clear();
  value.AppendTextTo(fieldScratch_);
  ShowField(field, fieldScratch_);
}

void Engine::ShowField(int field, std::string_view text) {
  if (field < 1 || field > kMaxFields) return;
  std::string& shown = fieldTexts_[static_cast<size_t>(field)];
  if (shown.size() != text.size()) {
    shown.assign(text);
  } else {
    // The same length, as a device's readings mostly are: compared and copied in place.
    if (text.empty() || std::memcmp(shown.data(), text.data(), text.size()) == 0) return;
    std::memcpy(shown.data(), text.data(), text.size());
  }
  for (EngineObserver* observer : observers_) observer->OnFieldText(field, shown);
}

const std::string& Engine::FieldText(int field) const {
  static const std::string kNone;
  return field >= 1 && field <= kMaxFields ? fieldTexts_[static_cast<size_t>(field)] : kNone;
}

void Engine::AdvanceRecordNumber() {
  // The text counts up in place (it is empty for 0): no conversion, no allocation.
  size_t digit = recordNumberText_.size();
  while (digit > 0 && recordNumberText_[digit - 1] == '9') recordNumberText_[--digit] = '0';
  if (digit == 0)
    recordNumberText_.insert(recordNumberText_.begin(), '1');
  else
    ++recordNumberText_[digit - 1];
  for (EngineObserver* observer : observers_) observer->OnRecordNumber(recordNumberText_);
}

// ---------------------------------------------------------------------------------------
// The data log

void Engine::WriteOutLog() {
  const std::optional<LogWriter::Cancelled> cancelled = logWriter_.WriteOut();
  if (!cancelled) return;
  if (cancelled->withdrawFrom < PortOutputQueue.size())
    PortOutputQueue.erase(cancelled->withdrawFrom);
  ResetNow();
  if (!suspended_) ToggleSuspend();
}

// ---------------------------------------------------------------------------------------
// Reset, suspend, timed output, buttons

void Engine::Reset() {
  RunOutsideTick([this] {
    ResetNow();
    for (EngineObserver* observer : observers_) observer->OnReset();
  });
}

void Engine::ResetNow() {
  // Discards what waits in the driver, or the virtual device's unread input.
  services_.port.Purge();
  pendingInput_.clear();
  pendingPos_ = 0;
  pipeline_.AbandonRecord();
  for (int field = 1; field <= settings_.FieldCount; ++field) {
    values_[static_cast<size_t>(field)].Clear();
    ShowField(field, "");
  }
  TimedOutputBase = 0;
  recordNumberText_.clear();
  for (EngineObserver* observer : observers_) observer->OnRecordNumber("");
  if (suspended_) ToggleSuspend();
  if (settings_.StartSuspended) ToggleSuspend();
  resumeForOneRecord_ = false;
}

void Engine::ToggleSuspend() {
  if (suspended_) {
    TimedOutputBase = 0;
    suspended_ = false;
  } else {
    suspended_ = true;
  }
  SetCaption(SuspendCaption());
  NotifyMenuState();
}

void Engine::ResumeForOneRecord() {
  resumeForOneRecord_ = true;
  ToggleSuspend();
}

void Engine::ToggleTimedOutput() {
  RunningTimerFlags = static_cast<int16_t>(RunningTimerFlags ^ kTimerOnAtStart);
  NotifyMenuState();
}

void Engine::SetTimedOutputRunning(bool running) {
  if (running != TimedOutputRunning()) ToggleTimedOutput();
}

void Engine::SetTimerInterval(int32_t milliseconds) {
  if (milliseconds > 0) {
    settings_.TimerInterval = milliseconds;
    TimedOutputBase = 0;
    timedOutputMenuEnabled_ =
        !((RunningTimerFlags & kTimerSendsString) && settings_.TimerString.empty());
  } else {
    settings_.TimerInterval = 0;
    if (TimedOutputRunning()) ToggleTimedOutput();
    timedOutputMenuEnabled_ = false;
  }
  NotifyMenuState();
}

void Engine::PushButton(int button) {
  if (button >= 1 && button <= kOutputStrings) QueueOutput(settings_.ButtonString[button]);
}

void Engine::ClearFields() {
  for (int field = 1; field <= settings_.FieldCount; ++field) ShowField(field, "");
}

void Engine::RequestExit() {
  ExitRequest = -1;
}

void Engine::OutputBufferChanged(std::string text) {
  if (settings_.StripCrLf && text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
    text.resize(text.size() - 2);
  if (!text.empty()) QueueOutput(text);
}

void Engine::RunOutsideTick(std::function<void()> action) {
  if (inTick_)
    afterTick_.push_back(std::move(action));
  else
    action();
}

// ---------------------------------------------------------------------------------------
// Serial lines

bool Engine::LinesAvailable() const {
  return mode_ != ActivationMode::Virtual && services_.port.HasLines();
}

void Engine::StartBreak() {
  if (!LinesAvailable()) return;
  services_.port.SetBreak(true);
  BreakTicks = kBreakTicks;
}

void Engine::PulseDtr() {
  if (LinesAvailable()) services_.port.PulseDtr();
}

void Engine::SetDtr(bool on) {
  if (LinesAvailable()) services_.port.SetDtr(on);
}

void Engine::SetRts(bool on) {
  if (LinesAvailable()) services_.port.SetRts(on);
}

// A change the driver refuses leaves the setting as it was; none of them counts as an
// edit of the configuration.
void Engine::ChangeBaudRate(int32_t rate) {
  if (!LinesAvailable() || !services_.port.SetBaudRate(rate)) return;
  if (const int index = BaudIndexOfRate(rate); index >= 0)
    settings_.BaudIndex = static_cast<int16_t>(index);
}

void Engine::ChangeParity(int parityCode) {
  if (LinesAvailable() && services_.port.SetParity(parityCode))
    settings_.ParityIndex = static_cast<int16_t>(parityCode);
}

void Engine::ChangeDataBits(int bits) {
  if (LinesAvailable() && services_.port.SetDataBits(bits))
    settings_.DataBitsIndex = static_cast<int16_t>(bits - 5);
}

void Engine::ChangeStopBits(int stopBitsCode) {
  if (LinesAvailable() && services_.port.SetStopBits(stopBitsCode))
    settings_.StopBitsIndex = static_cast<int16_t>(stopBitsCode);
}

void Engine::ShowWindowNormal() {
  for (EngineObserver* observer : observers_) observer->OnShowWindowNormal();
}

void Engine::MinimizeWindow() {
  for (EngineObserver* observer : observers_) observer->OnMinimizeWindow();
}

void Engine::Beep() {
  services_.prompt.Beep();
}

// ---------------------------------------------------------------------------------------
// What the window shows

std::string Engine::ActivationCaption() const {
  std::string caption = std::string(edition_.engineCaptionPrefix) + working_.PortName;
  if (mode_ == ActivationMode::Virtual)
    caption += " " + services_.strings.Text(str::kVirtualDeviceSuffix);
  return caption;
}

std::string Engine::SuspendCaption() const {
  std::string caption = std::string(edition_.suspendCaptionPrefix) + working_.PortName;
  if (suspended_) caption += " (S)";
  if (mode_ == ActivationMode::Virtual)
    caption += " (" + services_.strings.Text(str::kVirtualDeviceSuffix) + ")";
  return caption;
}

void Engine::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  for (EngineObserver* observer : observers_) observer->OnCaption(caption_);
}

void Engine::NotifyMenuState() {
  for (EngineObserver* observer : observers_) observer->OnMenuState();
}

std::string Engine::SuspendMenuCaption() const {
  return services_.strings.Text(suspended_ ? str::kResumeMenu : str::kSuspendMenu);
}

std::string Engine::TimedOutputMenuCaption() const {
  return services_.strings.Text(TimedOutputRunning() ? str::kDisableTimedOutput
                                                     : str::kEnableTimedOutput);
}

std::string Engine::ServerTopic() const {
  if (!settings_.DDETopic.empty()) return settings_.DDETopic;
  return working_.PortName;
}

bool Engine::Idle() const {
  if (pendingPos_ < pendingInput_.size() || !PortOutputQueue.empty() || logWriter_.HasPending())
    return false;
  return !(pipeline_.InsideRecord() && settings_.EndOfRecordEvent == kEndTimeGap);
}

}  // namespace fenno
