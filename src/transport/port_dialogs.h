#pragma once

// The rules of Port > Settings: the serial program's port dialog (PortSetup) and the TCP
// program's connection dialog, including who may connect to a listening server. The
// windows call these; nothing here shows anything.

#include <cstdint>
#include <string>
#include <string_view>

#include "base/dialog_check.h"
#include "config/settings.h"
#include "config/user_store.h"

namespace fenno {

// What a keystroke made of a number box: digits only, and at most the box's largest value.
// The window beeps at a refused key and puts the previous text back.
enum class TypedNumber { Accepted, NotDigits, TooLarge };

// ---------------------------------------------------------------------------------------
// Serial port dialog

struct PortSetupValues {
  int16_t portIndex = 0;  // 0..98, COM1..COM99
  int16_t baudIndex = 0;
  int16_t parityIndex = 0;
  int16_t dataBitsIndex = 0;
  int16_t stopBitsIndex = 0;
  int16_t flowControl = 0;
  std::string inputBufferText;   // "BuffSize"
  std::string outputBufferText;  // "OutBuffSize"
  bool operator==(const PortSetupValues&) const = default;
};

PortSetupValues LoadPortSetup(const Settings& settings);
// A buffer size while it is typed: over 131072 is refused with the buffer-size message.
TypedNumber CheckTypedBufferSize(std::string_view text);
// The message a buffer size out of range gets, focusing `field`.
DialogCheck BufferSizeRefusal(std::string field);
// OK: each size must lie in 128..131072 (input first).
DialogCheck CheckPortSetup(const PortSetupValues& values);
// True when any value differs from the stored one.
bool StorePortSetup(const PortSetupValues& values, Settings& settings);

// ---------------------------------------------------------------------------------------
// TCP connection dialog

struct ConnectionValues {
  bool server = false;          // TCPOption
  bool serverAvailable = true;  // false when the machine has no network address
  std::string localAddress;     // shown (disabled) in server mode
  std::string remoteHost;       // shown in client mode
  std::string remotePort;       // the port box in client mode
  std::string localPort;        // the port box in server mode
  std::string allowedPeers;     // kept in the per-user store, not the configuration
};

// Without a local address the server option is unavailable and the client is chosen.
ConnectionValues LoadConnection(const Settings& settings, std::string localAddress,
                                std::string allowedPeers);
// The port box while it is typed: over 65535 is refused with text 9019.
TypedNumber CheckTypedTcpPort(std::string_view text);
DialogCheck TcpPortRefusal();
// OK: the host stays on one line ("hostEdit"); every allowed-peer entry is an address or
// network ("allowEdit").
DialogCheck CheckConnection(const ConnectionValues& values);
// TcpRemoteHost takes the first box (in server mode the local address shown there), the
// port box goes to the mode's port. OK always marks the configuration modified.
bool StoreConnection(const ConnectionValues& values, Settings& settings);

// The allowed peers of a listening server: per-user store, application the program name,
// section "Connection", key "AllowedPeers"; blank lets anyone connect.
inline constexpr const char* kConnectionSection = "Connection";
inline constexpr const char* kAllowedPeersKey = "AllowedPeers";
std::string LoadAllowedPeers(const UserStore& store, std::string_view programName);
void StoreAllowedPeers(const std::string& allowedPeers, UserStore& store,
                       std::string_view programName);

}  // namespace fenno
