#include "core/text/cp932.h"

namespace postwink {

std::string_view CutAtCharBoundary(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t len = CharLength(text, pos);
    if (pos + len > maxBytes) break;
    pos += len;
  }
  return text.substr(0, pos);
}

}  // namespace postwink
