#include "engine/log_writer.h"

#include "base/clock.h"
#include "base/prompt.h"
#include "base/string_ids.h"
#include "base/string_table.h"
#include "config/settings.h"
#include "engine/engine_text_ids.h"

namespace fenno {

LogWriter::LogWriter(const Settings& settings, Prompt& prompt, const StringTable& strings,
                     const Clock& clock, EventPump& events, bool unattended)
    : settings_(settings),
      prompt_(prompt),
      strings_(strings),
      clock_(clock),
      events_(events),
      unattended_(unattended) {}

std::optional<LogWriter::Cancelled> LogWriter::WriteOut() {
  std::optional<Cancelled> cancelled;
  while (log_.HasPending()) {
    const std::optional<DataLog::Failure> failure = log_.WriteOut(settings_.LogFilePath);
    if (!failure) {
      // The file is written again: a later failure is news, even if it reads the same.
      lastUnattendedMessage_.clear();
      break;
    }
    if (!AskRetry(*failure)) {
      cancelled = Cancel(failure->record);
      break;
    }
  }
  if (!log_.HasPending()) queueMarks_.clear();
  return cancelled;
}

bool LogWriter::AskRetry(const DataLog::Failure& failure) {
  PromptMessage message{
      strings_.Text(str::kLogWriteError) + " " + settings_.LogFilePath + "\r" + failure.reason,
      Title(), PromptButtons::RetryCancel, PromptIcon::Exclamation};
  if (!unattended_) {
    prompt_.Beep();
    return prompt_.Show(message) == PromptAnswer::Retry;
  }
  // Nobody to ask: say it once, then try again every second until the file can be
  // written (a full disk or a missing folder recovers without losing the record).
  if (message.text != lastUnattendedMessage_) {
    prompt_.Beep();
    prompt_.Show(message);
    lastUnattendedMessage_ = message.text;
  }
  WaitMilliseconds(clock_, events_, 1000);
  return !stopRequested_;
}

std::optional<LogWriter::Cancelled> LogWriter::Cancel(size_t failedRecord) {
  if (stopRequested_) {
    ReportLostRecords();
    log_.DiscardFrom(0);
    queueMarks_.clear();
    return std::nullopt;
  }
  // As if processing had stopped at the failed record: the records after it never
  // happened, so their acknowledgements are withdrawn before they reach the device.
  Cancelled cancelled;
  if (failedRecord + 1 < queueMarks_.size()) cancelled.withdrawFrom = queueMarks_[failedRecord + 1];
  log_.DiscardFrom(failedRecord);
  queueMarks_.clear();
  lastUnattendedMessage_.clear();
  return cancelled;
}

void LogWriter::ReportLostRecords() {
  const size_t lost = log_.PendingRecords();
  if (lost == 0) return;
  prompt_.Show(
      {strings_.Format(str::kLogRecordsLost, {std::to_string(lost), settings_.LogFilePath}),
       Title(), PromptButtons::Ok, PromptIcon::Exclamation});
}

std::string LogWriter::Title() const {
  return strings_.Format(str::kLogWriteErrorTitle, {std::to_string(settings_.PortIndex + 1)});
}

}  // namespace fenno
