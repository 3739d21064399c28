#include "transport/peer_filter.h"

#include <arpa/inet.h>

#include <charconv>
#include <cstring>

namespace fenno {
namespace {

constexpr int kMappedPrefixBits = 96;  // ::ffff:0:0/96 holds the IPv4 addresses
constexpr std::string_view kSeparators = ", ;\t";

std::optional<std::array<uint8_t, 16>> ParseAddress(const std::string& text, bool& ipv4) {
  std::array<uint8_t, 16> address{};
  in_addr v4{};
  if (::inet_pton(AF_INET, text.c_str(), &v4) == 1) {
    ipv4 = true;
    address[10] = 0xff;
    address[11] = 0xff;
    std::memcpy(address.data() + 12, &v4, sizeof v4);
    return address;
  }
  ipv4 = false;
  if (::inet_pton(AF_INET6, text.c_str(), address.data()) == 1) return address;
  return std::nullopt;
}

bool SamePrefix(const std::array<uint8_t, 16>& a, const std::array<uint8_t, 16>& b, int bits) {
  const int whole = bits / 8;
  if (std::memcmp(a.data(), b.data(), static_cast<size_t>(whole)) != 0) return false;
  const int rest = bits % 8;
  if (rest == 0) return true;
  const auto mask = static_cast<uint8_t>(0xff << (8 - rest));
  return (a[whole] & mask) == (b[whole] & mask);
}

}  // namespace

std::optional<PeerNetwork> ParsePeerNetwork(std::string_view text) {
  const size_t slash = text.find('/');
  bool ipv4 = false;
  const auto address = ParseAddress(std::string(text.substr(0, slash)), ipv4);
  if (!address) return std::nullopt;
  PeerNetwork network{*address, 128};
  if (slash == std::string_view::npos) return network;
  const std::string_view digits = text.substr(slash + 1);
  int bits = -1;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), bits);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || bits < 0 ||
      bits > (ipv4 ? 32 : 128))
    return std::nullopt;
  network.prefixBits = ipv4 ? kMappedPrefixBits + bits : bits;
  return network;
}

std::vector<std::string> AllowListEntries(std::string_view text) {
  std::vector<std::string> entries;
  size_t at = 0;
  while ((at = text.find_first_not_of(kSeparators, at)) != std::string_view::npos) {
    const size_t end = std::min(text.find_first_of(kSeparators, at), text.size());
    entries.emplace_back(text.substr(at, end - at));
    at = end;
  }
  return entries;
}

std::optional<std::string> FirstInvalidAllowEntry(std::string_view text) {
  for (const std::string& entry : AllowListEntries(text))
    if (!ParsePeerNetwork(entry)) return entry;
  return std::nullopt;
}

PeerFilter PeerFilter::FromText(std::string_view allowList) {
  PeerFilter filter;
  for (const std::string& entry : AllowListEntries(allowList)) {
    filter.restricted_ = true;
    if (const auto network = ParsePeerNetwork(entry)) filter.networks_.push_back(*network);
  }
  return filter;
}

bool PeerFilter::Allows(std::string_view peerAddress) const {
  if (!restricted_) return true;
  // A link-local peer comes with its interface ("fe80::1%eth0"), which no rule names.
  const std::string_view bare = peerAddress.substr(0, peerAddress.find('%'));
  bool ipv4 = false;
  const auto address = ParseAddress(std::string(bare), ipv4);
  if (!address) return false;
  for (const PeerNetwork& network : networks_)
    if (SamePrefix(*address, network.address, network.prefixBits)) return true;
  return false;
}

}  // namespace fenno
