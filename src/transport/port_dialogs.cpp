#include "transport/port_dialogs.h"

#include <charconv>

#include "base/string_ids.h"
#include "transport/peer_filter.h"
#include "transport/port_text_ids.h"

namespace fenno {
namespace {

constexpr uint32_t kHighestTcpPort = 65535;

// A digit box's text: "" counts as 0; a value too large for 32 bits is simply too large.
TypedNumber CheckTypedNumber(std::string_view text, uint32_t highest) {
  if (text.find_first_not_of("0123456789") != std::string_view::npos) return TypedNumber::NotDigits;
  uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc::result_out_of_range || value > highest) return TypedNumber::TooLarge;
  return TypedNumber::Accepted;
}

std::optional<int32_t> BufferSizeOf(const std::string& text) {
  if (text.empty() || CheckTypedBufferSize(text) != TypedNumber::Accepted) return std::nullopt;
  const int32_t value = std::stoi(text);
  if (value < kMinBufferSize) return std::nullopt;
  return value;
}

template <class T>
bool Assign(T& target, const T& value) {
  if (target == value) return false;
  target = value;
  return true;
}

}  // namespace

PortSetupValues LoadPortSetup(const Settings& settings) {
  return {settings.PortIndex,
          settings.BaudIndex,
          settings.ParityIndex,
          settings.DataBitsIndex,
          settings.StopBitsIndex,
          settings.FlowControl,
          std::to_string(settings.InputBufferSize),
          std::to_string(settings.OutputBufferSize)};
}

TypedNumber CheckTypedBufferSize(std::string_view text) {
  return CheckTypedNumber(text, static_cast<uint32_t>(kMaxBufferSize));
}

DialogCheck BufferSizeRefusal(std::string field) {
  return DialogCheck::Refuse(str::kBufferSizeRange, str::kInvalidInputTitle, std::move(field));
}

DialogCheck CheckPortSetup(const PortSetupValues& values) {
  if (!BufferSizeOf(values.inputBufferText)) return BufferSizeRefusal("BuffSize");
  if (!BufferSizeOf(values.outputBufferText)) return BufferSizeRefusal("OutBuffSize");
  return DialogCheck::Accept();
}

bool StorePortSetup(const PortSetupValues& values, Settings& settings) {
  bool changed = false;
  changed |= Assign(settings.InputBufferSize, BufferSizeOf(values.inputBufferText).value());
  changed |= Assign(settings.OutputBufferSize, BufferSizeOf(values.outputBufferText).value());
  changed |= Assign(settings.BaudIndex, values.baudIndex);
  changed |= Assign(settings.ParityIndex, values.parityIndex);
  changed |= Assign(settings.DataBitsIndex, values.dataBitsIndex);
  changed |= Assign(settings.FlowControl, values.flowControl);
  changed |= Assign(settings.StopBitsIndex, values.stopBitsIndex);
  changed |= Assign(settings.PortIndex, values.portIndex);
  return changed;
}

ConnectionValues LoadConnection(const Settings& settings, std::string localAddress,
                                std::string allowedPeers) {
  ConnectionValues values;
  values.serverAvailable = !localAddress.empty();
  values.server = values.serverAvailable && settings.TcpMode == 1;
  values.localAddress = std::move(localAddress);
  values.remoteHost = settings.TcpRemoteHost;
  values.remotePort = settings.TcpRemotePort;
  values.localPort = settings.TcpLocalPort;
  values.allowedPeers = std::move(allowedPeers);
  return values;
}

TypedNumber CheckTypedTcpPort(std::string_view text) {
  return CheckTypedNumber(text, kHighestTcpPort);
}

DialogCheck TcpPortRefusal() {
  return DialogCheck::Refuse(str::kTcpPortRange, str::kTcpPortRangeTitle, "portEdit");
}

DialogCheck CheckConnection(const ConnectionValues& values) {
  if (!values.server) {
    if (DialogCheck check = CheckSingleLine(values.remoteHost, "hostEdit"); !check.Accepted())
      return check;
  }
  if (const auto invalid = FirstInvalidAllowEntry(values.allowedPeers))
    return DialogCheck::Refuse(str::kAllowedPeerInvalid, str::kAllowedPeerInvalidTitle, "allowEdit",
                               {*invalid});
  return DialogCheck::Accept();
}

bool StoreConnection(const ConnectionValues& values, Settings& settings) {
  settings.TcpRemoteHost = values.server ? values.localAddress : values.remoteHost;
  settings.TcpMode = values.server ? 1 : 0;
  if (values.server)
    settings.TcpLocalPort = values.localPort;
  else
    settings.TcpRemotePort = values.remotePort;
  return true;
}

std::string LoadAllowedPeers(const UserStore& store, std::string_view programName) {
  return store.Get(std::string(programName), kConnectionSection, kAllowedPeersKey).value_or("");
}

void StoreAllowedPeers(const std::string& allowedPeers, UserStore& store,
                       std::string_view programName) {
  if (allowedPeers == LoadAllowedPeers(store, programName)) return;
  store.Set(std::string(programName), kConnectionSection, kAllowedPeersKey, allowedPeers);
}

}  // namespace fenno
