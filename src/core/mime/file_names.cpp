#include "core/mime/file_names.h"

#include <array>
#include <string_view>

#include "core/mime/header_fields.h"
#include "core/text/utf8.h"

namespace postwink {
namespace {

bool IsForbidden(unsigned char c) {
  switch (c) {
    case '"':
    case '*':
    case ',':
    case '/':
    case ':':
    case ';':
    case '<':
    case '>':
    case '?':
    case '\\':
    case '|':
      return true;
    default:
      return c < 0x20 || c == 0x7F;
  }
}

// Windows opens a device for these names whatever extension follows, and ignores trailing
// spaces before the extension.
bool IsDeviceName(std::string_view name) {
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  static constexpr std::array<std::string_view, 6> kFixed = {"CON", "PRN",    "AUX",
                                                             "NUL", "CONIN$", "CONOUT$"};
  for (std::string_view fixed : kFixed) {
    if (EqualsNoCase(base, fixed)) return true;
  }
  return base.size() == 4 && (StartsWithNoCase(base, "COM") || StartsWithNoCase(base, "LPT")) &&
         base[3] >= '0' && base[3] <= '9';
}

}  // namespace

void SanitizeFileName(std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      if (IsForbidden(c)) text[i] = '_';
      ++i;
      continue;
    }
    const DecodedChar ch = DecodeChar(text, i);
    // C1 controls are no more welcome in a name than C0 ones.
    if (!ch.valid || (ch.codePoint >= 0x80 && ch.codePoint < 0xA0)) {
      text.replace(i, ch.length, "_");
      ++i;
    } else {
      i += ch.length;
    }
  }
  if (IsDeviceName(text)) text.insert(0, 1, '_');
  if (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.push_back('_');
}

}  // namespace postwink
