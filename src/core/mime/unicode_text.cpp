#include "core/mime/unicode_text.h"

#include <unordered_map>

namespace postwink {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

void AppendCodePoint(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

int Base64Value(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

struct Utf8Sequence {
  size_t next;  // where the next character starts
  char32_t codePoint;
  bool valid;
};

// The sequence that starts with the byte at i (0x80 or above). Continuation bytes are taken
// while they can still form a valid character, so a broken sequence counts once and the byte
// that broke it starts afresh.
Utf8Sequence ReadUtf8Sequence(std::string_view text, size_t i) {
  const unsigned char c = static_cast<unsigned char>(text[i]);
  int extra;
  char32_t cp;
  char32_t min;
  if (c >= 0xC2 && c <= 0xDF) {
    extra = 1, cp = c & 0x1F, min = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    extra = 2, cp = c & 0x0F, min = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    extra = 3, cp = c & 0x07, min = 0x10000;
  } else {
    return {i + 1, 0, false};
  }
  size_t j = i + 1;
  for (int taken = 0; taken < extra; ++taken, ++j) {
    if (j >= text.size()) return {j, 0, false};
    const unsigned char t = static_cast<unsigned char>(text[j]);
    unsigned char lo = 0x80, hi = 0xBF;
    if (taken == 0) {
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    }
    if (t < lo || t > hi) return {j, 0, false};
    cp = (cp << 6) | (t & 0x3F);
  }
  return {j, cp, cp >= min};
}

// The 932 form of characters that Unicode holds twice, as code page 932 itself decodes them.
char16_t Cp932Duplicate(char16_t c) {
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
    // JIS X 0201 puts these where ASCII has backslash and tilde, and Japanese fonts draw 0x5C
    // and 0x7E so; iconv's CP932 and the Windows side map them the same way.
    case 0x00A5:
      return 0x005C;  // YEN SIGN
    case 0x203E:
      return 0x007E;  // OVERLINE
    default:
      return c;
  }
}

// One character (a surrogate pair counts as one) at a time, for text that did not come back
// whole from 932. Results are kept per character so long texts cost one platform call per
// distinct character.
std::string NarrowEachCharacter(std::u16string_view text, const CodePage& codePage) {
  std::unordered_map<char32_t, std::string> known;
  std::string out;
  out.reserve(text.size() * 2);
  size_t i = 0;
  while (i < text.size()) {
    size_t len = 1;
    if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      len = 2;
    }
    std::u16string_view ch = text.substr(i, len);
    i += len;
    if (ch[0] < 0x80) {
      out.push_back(static_cast<char>(ch[0]));
      continue;
    }
    const char32_t key = len == 2 ? (char32_t{ch[0]} << 16) | ch[1] : char32_t{ch[0]};
    auto found = known.find(key);
    if (found == known.end()) {
      std::string narrow = codePage.Narrow(ch);
      if (codePage.Widen(narrow) != ch) narrow = "?";
      found = known.emplace(key, std::move(narrow)).first;
    }
    out += found->second;
  }
  return out;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") i = 3;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out.push_back(c);
      ++i;
      continue;
    }
    const Utf8Sequence seq = ReadUtf8Sequence(text, i);
    if (seq.valid) {
      AppendCodePoint(out, seq.codePoint);
    } else {
      out.push_back(kReplacement);
    }
    i = seq.next;
  }
  return out;
}

bool IsUtf8WithMultiByte(std::string_view text) {
  bool multiByte = false;
  size_t i = 0;
  while (i < text.size()) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const Utf8Sequence seq = ReadUtf8Sequence(text, i);
    if (!seq.valid) return false;
    multiByte = true;
    i = seq.next;
  }
  return multiByte;
}

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

std::string NarrowToCp932(std::u16string text, const CodePage& codePage) {
  bool ascii = true;
  for (char16_t& c : text) {
    if (c >= 0x80) {
      ascii = false;
      c = Cp932Duplicate(c);
    }
  }
  if (ascii) return std::string(text.begin(), text.end());
  std::string narrow = codePage.Narrow(text);
  if (codePage.Widen(narrow) == text) return narrow;
  return NarrowEachCharacter(text, codePage);
}

}  // namespace postwink
