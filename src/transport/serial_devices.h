#pragma once

// What the system knows about serial devices, read from sysfs and /dev under a root
// folder ("/" on a running system, a fake tree in tests), so that the port list can tell
// two USB adapters apart and offer devices that no port name stands for yet.

#include <filesystem>
#include <string>
#include <vector>

namespace fenno {

struct SerialDeviceInfo {
  std::string ttyName;  // "ttyUSB0"; "" when the device is not a known tty
  bool usb = false;
  std::string manufacturer;
  std::string product;
  std::string serialNumber;
  std::string byIdLink;  // "/dev/serial/by-id/usb-..."; "" when there is none
};

// `devicePath` is "/dev/ttyUSB0" or a link to it ("/dev/serial/by-id/..."), as the
// system sees it; it is looked up under `root`.
SerialDeviceInfo DescribeSerialDevice(const std::filesystem::path& root,
                                      const std::string& devicePath);

// Device paths ("/dev/ttyUSB0") of the serial devices the system has now: every tty in
// /sys/class/tty with a device behind it, except the on-board ports (ttyS*), which the
// port names cover whether or not hardware sits behind them.
std::vector<std::string> PresentSerialDevices(const std::filesystem::path& root);

}  // namespace fenno
