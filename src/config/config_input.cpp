#include "config/config_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace fenno {
namespace {

constexpr size_t kBufferSize = 64 * 1024;

// Opens without blocking (a FIFO would wait for a writer) and keeps only regular files.
std::FILE* OpenRegularFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  std::FILE* file = ::fdopen(fd, "rb");
  if (!file) ::close(fd);
  return file;
}

bool IsLineEnd(char c) {
  return c == '\r' || c == '\n';
}

}  // namespace

ConfigInput::ConfigInput(const std::string& path) : buffer_(kBufferSize) {
  if (!path.empty()) file_ = OpenRegularFile(path);
}

ConfigInput::~ConfigInput() {
  if (file_) std::fclose(file_);
}

bool ConfigInput::Fill() {
  if (begin_ < end_) return true;
  if (!file_ || error_ || consumed_ >= kMaxConfigFileBytes) return false;
  const size_t wanted =
      static_cast<size_t>(std::min<uint64_t>(buffer_.size(), kMaxConfigFileBytes - consumed_));
  const size_t got = std::fread(buffer_.data(), 1, wanted, file_);
  if (got == 0 && std::ferror(file_)) error_ = true;
  begin_ = 0;
  end_ = got;
  consumed_ += got;
  return got > 0;
}

bool ConfigInput::Peek(char& byte) {
  if (!Fill()) return false;
  byte = buffer_[begin_];
  return true;
}

bool ConfigInput::ReadByte(char& byte) {
  if (!Peek(byte)) return false;
  ++begin_;
  return true;
}

bool ConfigInput::ReadLine(std::string& line, size_t maxLength) {
  line.clear();
  // Room for the CR of a CR LF line end, which is only known to be one when the LF comes.
  const size_t limit = maxLength == SIZE_MAX ? SIZE_MAX : maxLength + 1;
  bool readAnything = false;
  while (Fill()) {
    readAnything = true;
    const char* start = buffer_.data() + begin_;
    const size_t available = end_ - begin_;
    const void* newline = std::memchr(start, '\n', available);
    const size_t take =
        newline ? static_cast<size_t>(static_cast<const char*>(newline) - start) : available;
    if (take > limit - line.size()) return false;
    line.append(start, take);
    begin_ += take;
    if (newline) {
      ++begin_;
      break;
    }
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return readAnything && line.size() <= maxLength;
}

bool ConfigInput::ReadItem(std::string& item, size_t maxLength) {
  item.clear();
  char c = 0;
  while (Peek(c) && (c == ' ' || IsLineEnd(c))) ++begin_;
  while (Peek(c) && c != ' ' && c != ',' && !IsLineEnd(c)) {
    if (item.size() == maxLength) return false;
    item += c;
    ++begin_;
  }
  if (item.empty()) return false;
  SkipRestOfLine();
  return true;
}

bool ConfigInput::ReadListItem(std::string& item) {
  item.clear();
  char c = 0;
  while (Peek(c) && c == ' ') ++begin_;
  if (!Peek(c)) return false;
  while (Peek(c) && c != ',' && c != '\n') {
    item += c;
    ++begin_;
  }
  // c is now the comma, the LF, or the last byte of the file.
  if (c != ',' && !item.empty() && item.back() == '\r') item.pop_back();
  SkipRestOfLine();
  return true;
}

bool ConfigInput::ReadBytes(uint64_t count, std::string& bytes) {
  bytes.clear();
  // Grows with what actually arrives, so a damaged length cannot make us allocate it up front.
  while (bytes.size() < count) {
    if (!Fill()) return false;
    const size_t take =
        static_cast<size_t>(std::min<uint64_t>(end_ - begin_, count - bytes.size()));
    bytes.append(buffer_.data() + begin_, take);
    begin_ += take;
  }
  return true;
}

void ConfigInput::SkipRestOfLine() {
  while (Fill()) {
    const char* start = buffer_.data() + begin_;
    const void* newline = std::memchr(start, '\n', end_ - begin_);
    if (newline) {
      begin_ += static_cast<size_t>(static_cast<const char*>(newline) - start) + 1;
      return;
    }
    begin_ = end_;
  }
}

}  // namespace fenno
