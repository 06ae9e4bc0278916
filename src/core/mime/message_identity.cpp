#include "core/mime/message_identity.h"

#include <optional>

#include "core/mime/header_fields.h"

namespace postwink {

std::string MessageIdentity(std::string_view text) {
  std::string identity;
  if (std::optional<std::string> id = GetHeaderField(text, "Message-Id:")) {
    size_t open = id->find('<');
    size_t close = open == std::string::npos ? std::string::npos : id->find('>', open);
    if (close != std::string::npos) identity = id->substr(open, close - open + 1);
  }
  if (identity.empty()) identity = GetHeaderField(text, "X-UIDL:").value_or("");
  if (identity.empty()) {
    identity = GetHeaderField(text, "Date:").value_or("") + "." +
               GetHeaderField(text, "From:").value_or("");
  }
  return identity;
}

}  // namespace postwink
