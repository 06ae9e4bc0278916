#include "core/mime/file_names.h"

#include <array>
#include <string_view>

#include "core/mime/header_fields.h"
#include "core/text/cp932.h"

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
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    // A lead byte takes its trail byte with it only when that byte can be one; otherwise the
    // next byte is examined on its own, so no "/" hides behind a stray lead byte, and the stray
    // lead byte itself goes, as Windows cannot make a name of it.
    if (IsLeadByte(c)) {
      if (i + 1 < text.size() && IsTrailByte(static_cast<unsigned char>(text[i + 1]))) {
        ++i;
      } else {
        text[i] = '_';
      }
      continue;
    }
    if (IsForbidden(c)) text[i] = '_';
  }
  if (IsDeviceName(text)) text.insert(0, 1, '_');
  if (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.push_back('_');
}

void SanitizeFileName(std::string& text, const CodePage& codePage) {
  SanitizeFileName(text);
  // After the first pass a "?" in the wide form can only stand for a character it lost.
  std::string safe;
  safe.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    std::string_view unit(text.data() + i, CharLength(text, i));
    std::u16string wide = codePage.Widen(unit);
    if (wide.empty() || wide.find_first_of(u"?\uFFFD") != std::u16string::npos) {
      // The byte after a lead byte that could not pair with it gets its own turn.
      safe += '_';
      ++i;
    } else {
      safe += unit;
      i += unit.size();
    }
  }
  text = std::move(safe);
  SanitizeFileName(text);
}

}  // namespace postwink
