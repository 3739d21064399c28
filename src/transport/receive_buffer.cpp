#include "transport/receive_buffer.h"

#include <algorithm>

namespace fenno {
namespace {

// Taken bytes are dropped once they make up half of the storage and at least this much,
// so each byte is moved a bounded number of times.
constexpr size_t kCompactionThreshold = 4096;

}  // namespace

void ReceiveBuffer::Append(std::string_view bytes) {
  DropTakenBytes();
  bytes_.append(bytes);
}

size_t ReceiveBuffer::TakeFront(std::string& out, size_t maxBytes) {
  const size_t count = std::min(maxBytes, Size());
  out.append(bytes_, front_, count);
  front_ += count;
  if (front_ == bytes_.size()) Clear();
  return count;
}

void ReceiveBuffer::Clear() {
  bytes_.clear();
  front_ = 0;
}

void ReceiveBuffer::DropTakenBytes() {
  if (front_ >= kCompactionThreshold && front_ * 2 >= bytes_.size()) {
    bytes_.erase(0, front_);
    front_ = 0;
  }
}

}  // namespace fenno
