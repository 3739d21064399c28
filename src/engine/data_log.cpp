#include "engine/data_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace fenno {

void DataLog::Append(std::string_view line) {
  buffer_.append(line);
  lineEnds_.push_back(buffer_.size());
}

std::optional<DataLog::Failure> DataLog::WriteOut(const std::string& path) {
  if (!HasPending()) return std::nullopt;
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  int error = fd < 0 ? errno : 0;
  while (!error && written_ < buffer_.size()) {
    const ssize_t n = ::write(fd, buffer_.data() + written_, buffer_.size() - written_);
    if (n > 0)
      written_ += static_cast<size_t>(n);
    else if (n < 0 && errno == EINTR)
      continue;
    else
      error = n < 0 ? errno : ENOSPC;
  }
  if (fd >= 0 && ::close(fd) != 0 && !error && errno != EINTR) error = errno;

  // Records whose whole line is in the file are done.
  while (firstPending_ < lineEnds_.size() && lineEnds_[firstPending_] <= written_) ++firstPending_;
  if (!error) {
    Compact();
    return std::nullopt;
  }
  return Failure{firstPending_, std::strerror(error)};
}

void DataLog::DiscardFrom(size_t record) {
  // A line already partly in the file is kept whole, so the file never holds half a line
  // followed by the next record.
  const size_t firstStart = firstPending_ == 0 ? 0 : lineEnds_[firstPending_ - 1];
  const bool partlyWritten = firstPending_ < lineEnds_.size() && written_ > firstStart;
  record = std::max(record, firstPending_ + (partlyWritten ? 1 : 0));
  if (record >= lineEnds_.size()) return;
  const size_t keepBytes = record == 0 ? 0 : lineEnds_[record - 1];
  buffer_.resize(std::max(keepBytes, written_));
  lineEnds_.resize(record);
  if (!HasPending()) Compact();
}

void DataLog::Compact() {
  buffer_.clear();
  lineEnds_.clear();
  written_ = 0;
  firstPending_ = 0;
}

}  // namespace fenno
