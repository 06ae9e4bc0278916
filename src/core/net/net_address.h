#pragma once
// Server addresses as the resolver gives them (IPv4 or IPv6), and the few rules about server
// names that both platforms share.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace postwink {

struct NetAddress {
  // kName stands for a host name that the transport looks up itself as it connects, where a
  // lookup must not hold the caller's thread.
  enum class Family { kIPv4, kIPv6, kName };
  Family family = Family::kIPv4;
  // Network byte order; an IPv4 address uses the first four bytes.
  std::array<uint8_t, 16> bytes{};
  std::string name;  // kName only

  size_t Size() const { return family == Family::kIPv4 ? 4 : 16; }
  // 0.0.0.0 or ::, which name no server.
  bool IsUnspecified() const;
  bool operator==(const NetAddress&) const = default;
};

// The name as the resolver and the certificate check take it: blanks around it dropped, and an
// IPv6 literal written in brackets ("[::1]", as in URLs) without them.
std::string ServerHostName(std::string_view name);

// True for an address literal rather than a host name: anything with a colon (IPv6; host names
// never have one) or only digits and dots. Such a server is matched against the certificate's
// IP addresses and is never sent as the TLS server name.
bool IsAddressLiteral(std::string_view host);

}  // namespace postwink
