#pragma once
// UTF-7 into UTF-16, done here rather than by the platform so both platforms read it alike, and
// the Windows reading of the Japanese characters that Unicode holds twice.

#include <string>
#include <string_view>

namespace postwink {

// RFC 2152. "+-" is "+"; a shifted run ends at "-" (absorbed) or at any byte outside the base64
// alphabet; bits left over at its end are dropped. Bytes 0x80-0xFF become U+FFFD.
std::u16string Utf7ToUtf16(std::string_view text);

// Text read from a Japanese set (EUC-JP, ISO-2022-JP, Shift_JIS) with WAVE DASH, MINUS SIGN and
// their kin turned into the forms Windows gives them when it reads Shift_JIS (0x8160 is U+FF5E),
// so every platform and every Japanese set reads them alike.
void ToWindowsJapaneseForms(std::u16string& text);

}  // namespace postwink
