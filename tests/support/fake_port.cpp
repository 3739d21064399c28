#include "support/fake_port.h"

#include <algorithm>

namespace fenno::testing {

size_t FakePort::Read(std::string& out, size_t maxBytes) {
  ++reads;
  const size_t count = std::min(maxBytes, input.size());
  out.append(input, 0, count);
  input.erase(0, count);
  return count;
}

size_t FakePort::Write(std::string_view data) {
  const size_t count = std::min(writeLimit, data.size());
  output.append(data.substr(0, count));
  return count;
}

}  // namespace fenno::testing
