#include "core/mime/unicode_text.h"

namespace postwink {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

int Base64Value(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Unicode holds some characters of the Japanese sets twice. Windows reads them from Shift_JIS as
// the full-width forms and draws them so in Japanese fonts; text from Unix and Mac mailers in the
// same sets spells them with the JIS code points. Reading every Japanese set the Windows way keeps
// one character one code point, so a filter rule or a sort sees them alike.
char16_t WindowsJapaneseForm(char16_t c) {
  switch (c) {
    case 0x301C:
      return 0xFF5E;  // WAVE DASH -> FULLWIDTH TILDE
    case 0x2016:
      return 0x2225;  // DOUBLE VERTICAL LINE -> PARALLEL TO
    case 0x2212:
      return 0xFF0D;  // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
    case 0x2014:
      return 0x2015;  // EM DASH -> HORIZONTAL BAR
    case 0x00A2:
      return 0xFFE0;  // CENT SIGN
    case 0x00A3:
      return 0xFFE1;  // POUND SIGN
    case 0x00AC:
      return 0xFFE2;  // NOT SIGN
    default:
      return c;
  }
}

}  // namespace

std::u16string Utf7ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c != '+') {
      out.push_back(c < 0x80 ? c : kReplacement);
      ++i;
      continue;
    }
    ++i;
    if (i < n && text[i] == '-') {
      out.push_back(u'+');
      ++i;
      continue;
    }
    uint32_t bits = 0;
    int bitCount = 0;
    while (i < n) {
      const int v = Base64Value(static_cast<unsigned char>(text[i]));
      if (v < 0) break;
      bits = ((bits << 6) | static_cast<uint32_t>(v)) & 0x3FFFFF;
      bitCount += 6;
      if (bitCount >= 16) {
        bitCount -= 16;
        out.push_back(static_cast<char16_t>((bits >> bitCount) & 0xFFFF));
      }
      ++i;
    }
    if (i < n && text[i] == '-') ++i;
  }
  return out;
}

void ToWindowsJapaneseForms(std::u16string& text) {
  for (char16_t& c : text) {
    if (c >= 0xA2) c = WindowsJapaneseForm(c);
  }
}

}  // namespace postwink
