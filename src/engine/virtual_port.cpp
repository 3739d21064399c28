#include "engine/virtual_port.h"

#include <algorithm>

namespace fenno {

size_t VirtualPort::Read(std::string& out, size_t maxBytes) {
  const size_t count = std::min(maxBytes, VirtualInput.size() - readPos_);
  out.append(VirtualInput, readPos_, count);
  readPos_ += count;
  // Drop what has been read once it is all read, so the text does not grow forever.
  if (readPos_ == VirtualInput.size()) {
    VirtualInput.clear();
    readPos_ = 0;
  }
  return count;
}

size_t VirtualPort::Write(std::string_view data) {
  if (display_ && !data.empty()) display_(data);
  return data.size();
}

void VirtualPort::Purge() {
  VirtualInput.clear();
  readPos_ = 0;
}

}  // namespace fenno
