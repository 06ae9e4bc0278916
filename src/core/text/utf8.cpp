#include "core/text/utf8.h"

namespace postwink {
namespace {

// Characters that attach to the one before them: a cut just before one would split what the
// reader sees as one character.
bool Attaches(char32_t c) {
  return (c >= 0x0300 && c <= 0x036F) ||    // combining diacritical marks
         (c >= 0x0E31 && c <= 0x0E3A) ||    // Thai vowel and tone marks
         (c >= 0x0E47 && c <= 0x0E4E) ||    //
         c == 0x200D ||                     // zero-width joiner
         (c >= 0xFE00 && c <= 0xFE0F) ||    // variation selectors
         (c >= 0x1F3FB && c <= 0x1F3FF) ||  // skin-tone modifiers
         (c >= 0x20D0 && c <= 0x20FF) ||    // combining marks for symbols (keycaps)
         (c >= 0xE0020 && c <= 0xE007F) ||  // tag characters of subdivision flags
         (c >= 0x3099 && c <= 0x309A);      // combining kana voicing marks
}

bool IsRegionalIndicator(char32_t c) { return c >= 0x1F1E6 && c <= 0x1F1FF; }

// Where the character after `pos` may begin a cut: false inside a joined cluster.
bool CanCutBefore(std::string_view text, size_t pos, char32_t previous, size_t regionalRun) {
  if (pos >= text.size()) return true;
  const char32_t c = DecodeChar(text, pos).codePoint;
  if (Attaches(c)) return false;
  if (previous == 0x200D) return false;  // what a joiner joins belongs to the cluster
  // A flag is a pair of regional indicators; an odd one opens a pair.
  if (IsRegionalIndicator(c) && IsRegionalIndicator(previous) && regionalRun % 2 == 1) {
    return false;
  }
  return true;
}

size_t Utf16Units(char32_t c) { return c >= 0x10000 ? 2 : 1; }

// within(bytes, chars, units) says whether a prefix of that size may stay.
template <typename Within>
std::string_view Cut(std::string_view text, Within within) {
  size_t pos = 0;
  size_t chars = 0;
  size_t units = 0;
  size_t lastCut = 0;
  char32_t previous = 0;
  size_t regionalRun = 0;
  while (pos < text.size()) {
    const DecodedChar ch = DecodeChar(text, pos);
    if (!within(pos + ch.length, chars + 1, units + Utf16Units(ch.codePoint))) {
      return text.substr(0, lastCut);
    }
    pos += ch.length;
    ++chars;
    units += Utf16Units(ch.codePoint);
    regionalRun = IsRegionalIndicator(ch.codePoint) ? regionalRun + 1 : 0;
    previous = ch.codePoint;
    if (CanCutBefore(text, pos, previous, regionalRun)) lastCut = pos;
  }
  return text;
}

}  // namespace

DecodedChar DecodeChar(std::string_view text, size_t i) {
  const unsigned char c = static_cast<unsigned char>(text[i]);
  if (c < 0x80) return {c, 1, true};
  int extra;
  char32_t cp;
  if (c >= 0xC2 && c <= 0xDF) {
    extra = 1, cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    extra = 2, cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    extra = 3, cp = c & 0x07;
  } else {
    return {kReplacementCharacter, 1, false};
  }
  size_t j = i + 1;
  for (int taken = 0; taken < extra; ++taken, ++j) {
    if (j >= text.size()) return {kReplacementCharacter, j - i, false};
    const unsigned char t = static_cast<unsigned char>(text[j]);
    // The first continuation byte's range excludes overlong forms, surrogates and values above
    // U+10FFFF.
    unsigned char lo = 0x80, hi = 0xBF;
    if (taken == 0) {
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    }
    if (t < lo || t > hi) return {kReplacementCharacter, j - i, false};
    cp = (cp << 6) | (t & 0x3F);
  }
  return {cp, j - i, true};
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacementCharacter;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IsValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const DecodedChar ch = DecodeChar(text, i);
    if (!ch.valid) return false;
    i += ch.length;
  }
  return true;
}

bool IsUtf8WithMultiByte(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return IsValidUtf8(text);
  }
  return false;
}

std::string ToValidUtf8(std::string_view text) {
  if (IsValidUtf8(text)) return std::string(text);
  std::string out;
  out.reserve(text.size() + 8);
  for (size_t i = 0; i < text.size();) {
    const DecodedChar ch = DecodeChar(text, i);
    if (ch.valid) {
      out.append(text.substr(i, ch.length));
    } else {
      AppendUtf8(out, kReplacementCharacter);
    }
    i += ch.length;
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  while (i < text.size()) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    const DecodedChar ch = DecodeChar(text, i);
    char32_t c = ch.codePoint;
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    i += ch.length;
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3 / 2 + 4);
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    AppendUtf8(out, c);
  }
  return out;
}

size_t CountChars(std::string_view text) {
  size_t count = 0;
  for (size_t i = 0; i < text.size(); i += CharLength(text, i)) ++count;
  return count;
}

std::string_view CutAtCharBoundary(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  return Cut(text, [maxBytes](size_t bytes, size_t, size_t) { return bytes <= maxBytes; });
}

std::string_view CutToChars(std::string_view text, size_t maxChars) {
  if (text.size() <= maxChars) return text;
  return Cut(text, [maxChars](size_t, size_t chars, size_t) { return chars <= maxChars; });
}

std::string_view CutToUtf16Units(std::string_view text, size_t maxUnits) {
  if (text.size() <= maxUnits) return text;
  return Cut(text, [maxUnits](size_t, size_t, size_t units) { return units <= maxUnits; });
}

size_t CountUtf16Units(std::string_view text) {
  size_t units = 0;
  for (size_t i = 0; i < text.size();) {
    const DecodedChar ch = DecodeChar(text, i);
    units += Utf16Units(ch.codePoint);
    i += ch.length;
  }
  return units;
}

}  // namespace postwink
