#pragma once
// UTF-8 and UTF-7 into UTF-16, done here rather than by the platform so both platforms read
// them alike, and the narrowing of UTF-16 into code page 932 with the same rules on both.

#include <string>
#include <string_view>

#include "core/platform/system.h"

namespace postwink {

// Invalid sequences (stray continuation bytes, overlong forms, surrogates, values above
// U+10FFFF, a sequence cut short) become U+FFFD. A byte order mark at the start is dropped.
std::u16string Utf8ToUtf16(std::string_view text);

// Whether the text is valid UTF-8 (no invalid, overlong or cut-short sequence, no surrogate)
// holding at least one multi-byte character.
bool IsUtf8WithMultiByte(std::string_view text);

// RFC 2152. "+-" is "+"; a shifted run ends at "-" (absorbed) or at any byte outside the base64
// alphabet; bits left over at its end are dropped. Bytes 0x80-0xFF become U+FFFD.
std::u16string Utf7ToUtf16(std::string_view text);

// Into code page 932: the Japanese characters that Unicode holds twice (WAVE DASH and FULLWIDTH
// TILDE, and the like) map to their 932 forms, YEN SIGN and OVERLINE to 0x5C and 0x7E; any other
// character that does not come back unchanged from 932 becomes "?", so no platform guesses a
// look-alike.
std::string NarrowToCp932(std::u16string text, const CodePage& codePage);

}  // namespace postwink
