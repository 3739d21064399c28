#pragma once

// Byte-exact reading of a configuration file: lines, number items and counted raw bytes
// from one buffered stream, so that the raw section starts exactly where the line section
// ended.
//
// A line ends at LF; a CR right before that LF belongs to the line end, so files whose lines
// end in CR LF (as written) and files edited into LF-only line ends both read. A lone CR
// elsewhere is an ordinary character. Only regular files are read (a FIFO or a device could
// block or never end), and never more than kMaxConfigFileBytes: a damaged length can make the
// reader read to that limit, never allocate beyond what the file really holds.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace fenno {

inline constexpr uint64_t kMaxConfigFileBytes = 64ull * 1024 * 1024;

class ConfigInput {
 public:
  explicit ConfigInput(const std::string& path);
  ~ConfigInput();
  ConfigInput(const ConfigInput&) = delete;
  ConfigInput& operator=(const ConfigInput&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  // True after an operating-system read error (as opposed to an early end of the file).
  bool Failed() const { return error_; }

  // One line without its line end. False at the end of the file when nothing is left, or
  // when the line is longer than maxLength (the stream is then left inside that line).
  bool ReadLine(std::string& line, size_t maxLength = SIZE_MAX);
  // A number item: skips spaces and line ends, takes the characters up to the next space,
  // comma or line end, then consumes the rest of the line. False when no character was
  // found or the item is longer than maxLength.
  bool ReadItem(std::string& item, size_t maxLength);
  // A list item: skips leading spaces, takes the characters up to the first comma or line
  // end, then consumes the rest of the line.
  bool ReadListItem(std::string& item);
  // Exactly count bytes; false when the file ends first.
  bool ReadBytes(uint64_t count, std::string& bytes);
  bool ReadByte(char& byte);
  // Consumes everything up to and including the next LF.
  void SkipRestOfLine();

 private:
  bool Fill();
  bool Peek(char& byte);

  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  size_t begin_ = 0;
  size_t end_ = 0;
  uint64_t consumed_ = 0;  // bytes taken from the file into the buffer so far
  bool error_ = false;
};

}  // namespace fenno
