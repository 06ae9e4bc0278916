#pragma once
// UTF-8, the program's text. Every scan that cuts, replaces or copies characters moves over whole
// characters through these helpers; continuation bytes are never ASCII, so a scan for an ASCII
// byte needs no help.

#include <cstddef>
#include <string>
#include <string_view>

namespace postwink {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

struct DecodedChar {
  char32_t codePoint;  // U+FFFD for an invalid or cut-short sequence
  size_t length;       // bytes taken, at least 1
  bool valid;
};

// The character at pos (pos < text.size()). A broken sequence counts once; the byte that broke
// it starts afresh. Overlong forms, surrogates and values above U+10FFFF are invalid.
DecodedChar DecodeChar(std::string_view text, size_t pos);

void AppendUtf8(std::string& out, char32_t codePoint);

// Length in bytes of the character at pos, as DecodeChar takes it.
inline size_t CharLength(std::string_view text, size_t pos) {
  if (static_cast<unsigned char>(text[pos]) < 0x80) return 1;
  return DecodeChar(text, pos).length;
}

// Whether the whole text is valid UTF-8.
bool IsValidUtf8(std::string_view text);
// Valid UTF-8 holding at least one multi-byte character.
bool IsUtf8WithMultiByte(std::string_view text);
// Invalid sequences become U+FFFD, so the result is valid UTF-8.
std::string ToValidUtf8(std::string_view text);

// Invalid sequences become U+FFFD. A byte order mark at the start is dropped.
std::u16string Utf8ToUtf16(std::string_view text);
// An unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// Characters (code points) in the text.
size_t CountChars(std::string_view text);

// The longest prefix of at most maxBytes bytes that ends at a character boundary and does not end
// inside a cluster that joins characters (a combining mark, a variation selector, a zero-width
// joiner and what it joins, a skin-tone modifier, a flag's second half).
std::string_view CutAtCharBoundary(std::string_view text, size_t maxBytes);
// The same, counting at most maxChars characters.
std::string_view CutToChars(std::string_view text, size_t maxChars);

// The same, counting UTF-16 code units as Windows counts a file name's length: a character
// outside the Basic Multilingual Plane counts twice.
std::string_view CutToUtf16Units(std::string_view text, size_t maxUnits);
size_t CountUtf16Units(std::string_view text);

}  // namespace postwink
