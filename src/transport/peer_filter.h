#pragma once

// Who may connect to the TCP program while it listens. Anyone who reaches the port may
// feed records (and in keystroke mode type into the user's desktop), so the user may name
// the addresses and networks that are let in; a blank list lets anyone in.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fenno {

// One address or network. IPv4 is kept in its IPv6-mapped form (::ffff:a.b.c.d), so an
// IPv4 rule also matches a peer that a dual-stack socket reports in that form.
struct PeerNetwork {
  std::array<uint8_t, 16> address{};
  int prefixBits = 128;
};

// "192.168.1.5", "10.0.0.0/8", "fe80::1", "fd00::/8": the network, or nothing when the text
// is not one (a bad address, a prefix out of range, a host name).
std::optional<PeerNetwork> ParsePeerNetwork(std::string_view text);

// The entries of an allow-list text, separated by commas, semicolons or blanks.
std::vector<std::string> AllowListEntries(std::string_view text);
// The first entry that is not an address or network; nothing when all are.
std::optional<std::string> FirstInvalidAllowEntry(std::string_view text);

class PeerFilter {
 public:
  // Entries that do not parse are dropped; a list that had entries but none usable lets
  // nobody in rather than everybody.
  static PeerFilter FromText(std::string_view allowList);

  // The peer's address as text ("127.0.0.1", "::ffff:127.0.0.1", "fe80::1%eth0").
  bool Allows(std::string_view peerAddress) const;
  bool Restricted() const { return restricted_; }

 private:
  std::vector<PeerNetwork> networks_;
  bool restricted_ = false;
};

}  // namespace fenno
