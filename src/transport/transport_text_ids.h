#pragma once

// String-table numbers of the transport messages (data in src/base/strings/transport.*.txt).

namespace fenno::str {

inline constexpr int kBuildComDcbFailed = 10100;
inline constexpr int kDeviceNotAvailable = 10101;  // follows the port name and a space
inline constexpr int kDeviceErrorTitle = 10102;
inline constexpr int kSetComTimeoutsFailed = 10103;
inline constexpr int kGetComStateFailed = 10104;
inline constexpr int kSetComStateFailed = 10105;

// Second lines of the open failures: what happened and what to do.
inline constexpr int kPermissionHint = 10110;         // %1 device, %2 group, %3 user
inline constexpr int kPermissionHintNoGroup = 10111;  // %1 device
inline constexpr int kDeviceMissingHint = 10112;      // %1 device, %2 port name
inline constexpr int kNoDeviceForPortHint = 10113;    // %1 port name
inline constexpr int kDeviceInUseHint = 10114;        // %1 device
inline constexpr int kNotASerialPortHint = 10115;     // %1 device
inline constexpr int kLineRefusedHint = 10116;        // %1 device, %2 line ("9600,O,7,1")

inline constexpr int kDeviceLost = 10120;  // %1 port name, %2 device
inline constexpr int kDeviceBack = 10121;  // %1 port name, %2 device

inline constexpr int kTcpPortInvalid = 10130;     // %1 the port text
inline constexpr int kTcpPortInUse = 10131;       // %1 port number
inline constexpr int kTcpPortPrivileged = 10132;  // %1 port number
inline constexpr int kTcpListenFailed = 10133;    // %1 port number, %2 the system's reason

}  // namespace fenno::str
