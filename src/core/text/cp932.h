#pragma once
// Code page 932 (Shift_JIS), only where a stored file needs it: the settings file while every
// value fits, an export that an old editor reads, the log. The program's own text is UTF-8.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/platform/system.h"

namespace postwink {

constexpr bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
constexpr bool IsLeadByte(char c) { return IsLeadByte(static_cast<unsigned char>(c)); }

// A byte that can follow a lead byte.
constexpr bool IsTrailByte(unsigned char c) {
  return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// Length in bytes of the Shift_JIS character at pos: 2 for a lead byte with a byte after it.
inline size_t Cp932CharLength(std::string_view text, size_t pos) {
  return (IsLeadByte(text[pos]) && pos + 1 < text.size()) ? 2 : 1;
}

// Stored code page 932 text as UTF-8.
std::string FromCp932(std::string_view bytes, const CodePage& codePage);
// UTF-8 text in code page 932 when every character survives the trip there and back; nullopt
// when one does not.
std::optional<std::string> ToCp932Exact(std::string_view utf8, const CodePage& codePage);
// The same, with "?" for each character that code page 932 lacks.
std::string ToCp932Lossy(std::string_view utf8, const CodePage& codePage);

// A stored text file: code page 932 when every character fits, so programs that read only that
// keep working; otherwise UTF-8 after a byte order mark. Reading takes either form.
std::string StoredText(std::string_view utf8, const CodePage& codePage);
std::string ReadStoredText(std::string_view bytes, const CodePage& codePage);

}  // namespace postwink
