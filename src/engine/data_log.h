#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fenno {

// The data log: one line per delivered record, appended to a file. Lines delivered
// during one engine tick are collected and written when the tick ends (or when much has
// been collected), with the file opened for appending, written and closed, so a reader
// sees exactly what opening, appending and closing per record gives, only up to one
// tick later. A failed write names the first record that did not reach the file, so
// the caller can handle the error as if that record's own write had failed.
class DataLog {
 public:
  // Collected bytes beyond which the caller should write out before going on.
  static constexpr size_t kWriteThreshold = 1 << 20;

  struct Failure {
    size_t record = 0;   // index of the first record not (completely) written
    std::string reason;  // the system's text for the error
  };

  // Adds one record's line (its CR LF included).
  void Append(std::string_view line);
  // Adds one record's line, which `write` appends to the text it is handed: the line is
  // made where it is kept, without a copy.
  template <typename Write>
  void AppendWith(Write&& write) {
    write(buffer_);
    lineEnds_.push_back(buffer_.size());
  }
  // Writes what has been collected to `path`. Whatever was written is dropped from the
  // collection, so calling again after a failure (Retry) continues where it stopped.
  std::optional<Failure> WriteOut(const std::string& path);
  // Forgets every collected record from `record` on (the user cancelled).
  void DiscardFrom(size_t record);

  bool HasPending() const { return written_ < buffer_.size(); }
  bool ShouldWriteOut() const { return buffer_.size() - written_ >= kWriteThreshold; }
  size_t PendingRecords() const { return lineEnds_.size() - firstPending_; }
  // Index of the next record to be appended, counted since the last complete write.
  size_t NextRecordIndex() const { return lineEnds_.size(); }

 private:
  void Compact();

  std::string buffer_;
  std::vector<size_t> lineEnds_;  // end offset of each record's line in buffer_
  size_t written_ = 0;            // bytes of buffer_ already in the file
  size_t firstPending_ = 0;       // first record not completely written
};

}  // namespace fenno
