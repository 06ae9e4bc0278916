#include "core/pop3/send_text.h"

#include <algorithm>

namespace postwink {

bool SendText(std::string_view text, const ChunkSender& send, int maxIdleTries) {
  int idle = 0;
  while (!text.empty()) {
    std::optional<size_t> sent = send(text.substr(0, std::min(text.size(), kSendChunk)));
    if (!sent) return false;
    if (*sent == 0) {
      if (++idle >= maxIdleTries) return false;
      continue;
    }
    idle = 0;
    text.remove_prefix(std::min(*sent, text.size()));
  }
  return true;
}

}  // namespace postwink
