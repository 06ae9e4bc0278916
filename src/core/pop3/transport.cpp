#include "core/pop3/transport.h"

#include <algorithm>

#include "core/pop3/pop3_texts.h"

namespace postwink {

ResolveResult ResolveWith(
    std::string_view name,
    const std::function<std::vector<NetAddress>(const std::string& host)>& lookup) {
  ResolveResult result;
  std::string host = ServerHostName(name);
  if (host.empty()) {
    result.error = texts::kNoServerName;
    return result;
  }
  result.addresses = lookup(host);
  std::erase_if(result.addresses, [](const NetAddress& a) { return a.IsUnspecified(); });
  // A resolver may list an address once per socket type; each is tried once.
  std::vector<NetAddress> unique;
  for (const NetAddress& a : result.addresses) {
    if (std::find(unique.begin(), unique.end(), a) == unique.end()) unique.push_back(a);
  }
  result.addresses = std::move(unique);
  if (result.addresses.empty()) result.error = texts::kResolveFailed;
  return result;
}

}  // namespace postwink
