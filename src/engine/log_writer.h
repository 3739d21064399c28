#pragma once

// The data log as the engine writes it: the lines of the records delivered during a tick
// are written when the tick ends, and a write that fails is handled as if the failed
// record's own write had failed. Attended, the user is asked to retry or cancel; with
// nobody to ask, the message is shown once and the write is retried every second until
// it succeeds or the program ends.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/data_log.h"

namespace fenno {

class Clock;
class EventPump;
class Prompt;
class StringTable;
struct Settings;

class LogWriter {
 public:
  // What the engine undoes after the user cancelled a failed write: the device output
  // queued from `withdrawFrom` on acknowledges records that never reached the log
  // (std::string::npos: none does). The engine then resets and suspends.
  struct Cancelled {
    size_t withdrawFrom = std::string::npos;
  };

  LogWriter(const Settings& settings, Prompt& prompt, const StringTable& strings,
            const Clock& clock, EventPump& events, bool unattended);

  // A record is being processed; `queuedOutput` is the length of the device output queue
  // before its acknowledgement was added.
  void RecordStarts(size_t queuedOutput) { queueMarks_.push_back(queuedOutput); }
  // The record that just started is void: it never reaches the log.
  void RecordVoided() { queueMarks_.pop_back(); }
  // The record's line, its CR LF included.
  void Append(std::string_view line) { log_.Append(line); }
  // The same, the line written by `write` straight into the collection (DataLog::AppendWith).
  template <typename Write>
  void AppendWith(Write&& write) {
    log_.AppendWith(std::forward<Write>(write));
  }

  bool HasPending() const { return log_.HasPending(); }
  // So much is collected that it is written before the tick goes on.
  bool ShouldWriteOut() const { return log_.ShouldWriteOut(); }

  // Writes what was collected to the configured file. A failure that ends in Cancel
  // answers what the engine undoes; when the program is ending, the records that could
  // not be written are reported lost instead and nothing is undone.
  std::optional<Cancelled> WriteOut();
  // The program is ending: a write that is being retried gives up.
  void RequestStop() { stopRequested_ = true; }

 private:
  bool AskRetry(const DataLog::Failure& failure);
  std::optional<Cancelled> Cancel(size_t failedRecord);
  void ReportLostRecords();
  std::string Title() const;

  const Settings& settings_;
  Prompt& prompt_;
  const StringTable& strings_;
  const Clock& clock_;
  EventPump& events_;
  bool unattended_;
  bool stopRequested_ = false;
  DataLog log_;
  // Length of the device output queue before each collected record was processed.
  std::vector<size_t> queueMarks_;
  std::string lastUnattendedMessage_;
};

}  // namespace fenno
