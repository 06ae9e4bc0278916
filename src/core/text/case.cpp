#include "core/text/case.h"

#include "core/text/cp932.h"

namespace postwink {
namespace {

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  size_t pos = 0;
  while (pos < a.size()) {
    size_t len = CharLength(a, pos);
    if (len == 2) {
      // Both bytes of a double-byte character compare exactly.
      if (a[pos] != b[pos] || a[pos + 1] != b[pos + 1]) return false;
    } else if (FoldAscii(a[pos]) != FoldAscii(b[pos])) {
      return false;
    }
    pos += len;
  }
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool ContainsNoCase(std::string_view text, std::string_view needle) {
  for (size_t pos = 0; pos + needle.size() <= text.size(); pos += CharLength(text, pos)) {
    if (StartsWithNoCase(text.substr(pos), needle)) return true;
  }
  return false;
}

}  // namespace postwink
