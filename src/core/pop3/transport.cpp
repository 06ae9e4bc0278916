#include "core/pop3/transport.h"

#include "core/pop3/pop3_texts.h"

namespace postwink {

ResolveResult ResolveWith(std::string_view name,
                          const std::function<uint32_t(const std::string& host)>& lookup) {
  ResolveResult result;
  if (name.empty()) {
    result.error = texts::kNoServerName;
    return result;
  }
  result.address = lookup(std::string(name));
  if (result.address == 0) result.error = texts::kResolveFailed;
  return result;
}

}  // namespace postwink
