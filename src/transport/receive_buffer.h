#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace fenno {

// Bytes received and not yet taken, first in first out. Taking from the front costs the
// bytes taken, not the bytes still waiting, so a caller taking one byte at a time from a
// large buffer stays linear.
class ReceiveBuffer {
 public:
  void Append(std::string_view bytes);
  // Moves at most `maxBytes` from the front to the end of `out`; returns how many.
  size_t TakeFront(std::string& out, size_t maxBytes);
  void Clear();

  size_t Size() const { return bytes_.size() - front_; }
  bool Empty() const { return Size() == 0; }

 private:
  void DropTakenBytes();

  std::string bytes_;
  size_t front_ = 0;  // bytes_[0, front_) have been taken
};

}  // namespace fenno
