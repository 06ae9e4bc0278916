#pragma once
// Code page 932 (Shift_JIS) character boundaries. Every scan that cuts, replaces or copies
// characters moves over a lead byte and its trail byte together through these helpers.

#include <cstddef>
#include <string>
#include <string_view>

namespace postwink {

constexpr bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
constexpr bool IsLeadByte(char c) { return IsLeadByte(static_cast<unsigned char>(c)); }

// A byte that can follow a lead byte.
constexpr bool IsTrailByte(unsigned char c) {
  return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// Length in bytes of the character at pos: 2 for a lead byte with a trail byte after it,
// otherwise 1 (a lead byte at the very end stands alone).
inline size_t CharLength(std::string_view text, size_t pos) {
  return (IsLeadByte(text[pos]) && pos + 1 < text.size()) ? 2 : 1;
}

// The longest prefix of text that holds at most maxBytes bytes and does not end between a lead
// byte and its trail byte.
std::string_view CutAtCharBoundary(std::string_view text, size_t maxBytes);

}  // namespace postwink
