#pragma once

// String-table numbers of Port > Settings and of who may connect to the TCP program (data
// in src/base/strings/port.*.txt).

namespace fenno::str {

inline constexpr int kBufferSizeRange = 11000;  // "Buffer Size Must Be Between 128 and 131072"

// The serial port list and what it tells about the chosen device.
inline constexpr int kPortListNoDevice = 11010;  // %1 port name
inline constexpr int kPortListDevice = 11011;    // %1 port name, %2 device
inline constexpr int kPortListPresent = 11012;   // %1 port name, %2 device (present)
inline constexpr int kPortDeviceFrame = 11013;   // "Device"
inline constexpr int kPortDeviceAbsent = 11014;  // %1 device
inline constexpr int kPortDeviceUsable = 11015;  // %1 device
inline constexpr int kPortDeviceUsb = 11016;     // %1 manufacturer, %2 product, %3 serial
inline constexpr int kPortDeviceLink = 11017;    // %1 the /dev/serial/by-id link
inline constexpr int kPortNoDevice = 11018;      // %1 port name
// The user is in the device's group but this session began before: %1 device, %2 group,
// %3 user.
inline constexpr int kPermissionHintLoginAgain = 11019;
inline constexpr int kOtherDevicesLabel = 11020;     // "Other &devices present:"
inline constexpr int kOtherDevicesNone = 11021;      // "(none)"
inline constexpr int kAssignDeviceQuestion = 11022;  // %1 port name, %2 device
inline constexpr int kAssignDeviceTitle = 11023;
inline constexpr int kUnknownText = 11024;  // a USB value the device does not give

// Who may connect to a listening server.
inline constexpr int kAllowedPeersLabel = 11030;
inline constexpr int kAllowedPeersHint = 11031;
inline constexpr int kAllowedPeerInvalid = 11032;  // %1 the entry
inline constexpr int kAllowedPeerInvalidTitle = 11033;
inline constexpr int kPeerRefused = 11034;  // %1 the peer's address

}  // namespace fenno::str
