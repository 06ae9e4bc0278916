#include "core/ui/icon_files.h"

#include "core/text/cp932.h"

namespace postwink {

std::string IconFolder(const std::string& userIcon, const std::string& programDirectory) {
  if (userIcon.empty()) return programDirectory + "ico\\";
  // The last character, not the last byte: a trail byte may be 0x5C.
  size_t pos = 0;
  size_t lastLen = 0;
  while (pos < userIcon.size()) {
    lastLen = CharLength(userIcon, pos);
    pos += lastLen;
  }
  char last = userIcon.back();
  bool endsWithSeparator = lastLen == 1 && (last == '\\' || last == '/');
  return endsWithSeparator ? userIcon : userIcon + "\\";
}

}  // namespace postwink
