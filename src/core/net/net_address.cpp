#include "core/net/net_address.h"

#include <algorithm>

namespace postwink {

bool NetAddress::IsUnspecified() const {
  if (family == Family::kName) return false;
  return std::all_of(bytes.begin(), bytes.begin() + Size(), [](uint8_t b) { return b == 0; });
}

std::string ServerHostName(std::string_view name) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!name.empty() && blank(name.front())) name.remove_prefix(1);
  while (!name.empty() && blank(name.back())) name.remove_suffix(1);
  if (name.size() >= 2 && name.front() == '[' && name.back() == ']') {
    name = name.substr(1, name.size() - 2);
  }
  return std::string(name);
}

bool IsAddressLiteral(std::string_view host) {
  if (host.empty()) return false;
  if (host.find(':') != std::string_view::npos) return true;
  return std::all_of(host.begin(), host.end(),
                     [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

}  // namespace postwink
