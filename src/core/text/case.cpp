#include "core/text/case.h"

#include "core/text/utf8.h"

namespace postwink {
namespace {

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

unsigned char FoldLower(char c) {
  auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  size_t pos = 0;
  while (pos < a.size()) {
    size_t len = CharLength(a, pos);
    if (len > 1) {
      // Every byte of a multi-byte character compares exactly.
      if (a.substr(pos, len) != b.substr(pos, len)) return false;
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

int CompareNoCase(std::string_view a, std::string_view b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    size_t lenA = CharLength(a, i);
    size_t lenB = CharLength(b, j);
    // A multi-byte character compares by its bytes as they stand (UTF-8 bytes order as their code
    // points do), a single byte after folding.
    if (lenA == 1 || lenB == 1) {
      const unsigned first = lenA == 1 ? FoldLower(a[i]) : static_cast<unsigned char>(a[i]);
      const unsigned second = lenB == 1 ? FoldLower(b[j]) : static_cast<unsigned char>(b[j]);
      if (first != second) return first < second ? -1 : 1;
      if (lenA != lenB) return lenA < lenB ? -1 : 1;
    } else if (int order = a.substr(i, lenA).compare(b.substr(j, lenB)); order != 0) {
      return order < 0 ? -1 : 1;
    }
    i += lenA;
    j += lenB;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

bool ContainsNoCase(std::string_view text, std::string_view needle) {
  for (size_t pos = 0; pos + needle.size() <= text.size(); pos += CharLength(text, pos)) {
    if (StartsWithNoCase(text.substr(pos), needle)) return true;
  }
  return false;
}

}  // namespace postwink
