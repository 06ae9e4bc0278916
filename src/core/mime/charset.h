#pragma once
// Character sets of mail into code page 932.

#include <optional>
#include <string>
#include <string_view>

#include "core/platform/system.h"

namespace postwink {

// What converting into code page 932 needs from the platform. Build one from
// PlatformSystem().codePage and PlatformCharsetConverter() (or fakes in tests).
struct CharsetContext {
  const CodePage& codePage;
  const CharsetConverter& converter;
};

enum class UnicodeForm { kUtf7 = 0, kUtf8 = 1 };

// Converts text in the named character set into code page 932. `charsetName` is the text where
// the name begins; it may run on (the rest of an encoded word after "=?", or of a Content-Type
// value after "charset="); FindCharset says which names are known. nullopt for a set that is not
// known (or that the platform cannot convert): the caller decides what the bytes are.
// Mislabelled Japanese text stays readable: text with ISO-2022-JP escapes is read as
// ISO-2022-JP under any label but ISO-2022-KR and UTF-7, a US-ASCII label is no label at all
// (DecodeUnlabelledText), and a single-byte set leaves text alone that is plainly Shift_JIS.
// Characters that 932 lacks become "?". The result may be longer than the input.
std::optional<std::string> ConvertCharset(std::string_view text, std::string_view charsetName,
                                          const CharsetContext& context);

// Text that no known charset describes (no label, an unknown one, US-ASCII over 8-bit bytes, a
// raw 8-bit header): valid UTF-8 with at least one multi-byte character is read as UTF-8, since
// Shift_JIS text almost never is; anything else goes through JisToShiftJis, so ISO-2022-JP is
// converted and Shift_JIS passes as it is.
std::string DecodeUnlabelledText(std::string_view text, const CharsetContext& context);

// UTF-7 or UTF-8 through UTF-16 into code page 932; the Japanese characters that Unicode holds
// twice map to their 932 forms, everything else 932 lacks becomes "?".
std::optional<std::string> ConvertViaUnicode(std::string_view text, UnicodeForm which,
                                             const CharsetContext& context);

// The body as shown: converted by the first charset parameter of the Content-Type value that
// converts it; otherwise DecodeUnlabelledText. An empty content type means none.
std::string ConvertBodyCharset(std::string_view body, std::string_view contentType,
                               const CharsetContext& context);

// An RFC 2231 value charset'language'value: percent-decoded, then converted by its charset
// when that is known; otherwise the percent-decoded bytes.
std::string DecodeRfc2231Value(std::string_view text, const CharsetContext& context);

}  // namespace postwink
