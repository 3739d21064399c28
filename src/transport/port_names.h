#pragma once

// Where each "COMn" port name of a configuration lives on this machine.

#include <string>
#include <string_view>
#include <vector>

#include "config/user_store.h"

namespace fenno {

// Section of the per-user store whose keys ("COM5") name device paths.
inline constexpr const char* kPortsSection = "Ports";

// The number n of a port name "COMn" (1..99), or 0 when the name has another form.
int PortNumberOf(std::string_view portName);

// The device that a port number stands for when the user has not assigned one:
// COM1-32 the on-board ports /dev/ttyS0-31, COM33-64 USB adapters /dev/ttyUSB0-31,
// COM65-96 USB modems and CDC instruments /dev/ttyACM0-31. "" for any other number.
std::string DefaultDevicePath(int portNumber);

// The device path of `portName`: a path assigned to it in the per-user store (application
// `programName`, section "Ports", key the port name) wins over the default. "" when the
// port has no device.
std::string DevicePathOfPort(std::string_view portName, const UserStore& store,
                             std::string_view programName);

// One line of the port list that the port settings offer.
struct PortListEntry {
  std::string portName;    // "COM5"
  std::string devicePath;  // "" when the port has no device
  bool present = false;    // the device exists now
};

// COM1 to COM99 with their devices, in order (list index = PortIndex).
std::vector<PortListEntry> PortList(const UserStore& store, std::string_view programName);

}  // namespace fenno
