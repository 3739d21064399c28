#include "transport/port_names.h"

#include <charconv>
#include <filesystem>

#include "config/settings.h"

namespace fenno {
namespace {

struct DeviceRange {
  int firstPort;
  int lastPort;
  const char* devicePrefix;
};

constexpr DeviceRange kDeviceRanges[] = {
    {1, 32, "/dev/ttyS"},
    {33, 64, "/dev/ttyUSB"},
    {65, 96, "/dev/ttyACM"},
};

constexpr int kHighestPortNumber = 99;

}  // namespace

int PortNumberOf(std::string_view portName) {
  constexpr std::string_view prefix = "COM";
  if (!portName.starts_with(prefix)) return 0;
  const std::string_view digits = portName.substr(prefix.size());
  if (digits.empty() || digits.front() < '1' || digits.front() > '9') return 0;
  int number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc() || end != digits.data() + digits.size()) return 0;
  return number <= kHighestPortNumber ? number : 0;
}

std::string DefaultDevicePath(int portNumber) {
  for (const DeviceRange& range : kDeviceRanges) {
    if (portNumber >= range.firstPort && portNumber <= range.lastPort)
      return range.devicePrefix + std::to_string(portNumber - range.firstPort);
  }
  return {};
}

std::string DevicePathOfPort(std::string_view portName, const UserStore& store,
                             std::string_view programName) {
  const std::string key(portName);
  if (const auto assigned = store.Get(std::string(programName), kPortsSection, key);
      assigned && !assigned->empty())
    return *assigned;
  return DefaultDevicePath(PortNumberOf(portName));
}

std::vector<PortListEntry> PortList(const UserStore& store, std::string_view programName) {
  std::vector<PortListEntry> list;
  for (int16_t index = 0; index < kHighestPortNumber; ++index) {
    PortListEntry entry;
    entry.portName = PortNameOf(index);
    entry.devicePath = DevicePathOfPort(entry.portName, store, programName);
    std::error_code ignored;
    entry.present = !entry.devicePath.empty() && std::filesystem::exists(entry.devicePath, ignored);
    list.push_back(std::move(entry));
  }
  return list;
}

}  // namespace fenno
