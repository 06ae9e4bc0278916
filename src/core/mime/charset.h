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
// value after "charset="). Names beginning with ISO-2022-JP, ISO-2022-KR, UTF-7 and UTF-8
// match by prefix, without regard to case; the other known sets (EUC-JP, US-ASCII,
// ISO-8859-n, windows-125n, KOI8-R; Shift_JIS and its aliases pass through) match as a whole
// name. nullopt for a set that is not known: the caller keeps the bytes as they are.
// Characters that 932 lacks become "?". The result may be longer than the input.
std::optional<std::string> ConvertCharset(std::string_view text, std::string_view charsetName,
                                          const CharsetContext& context);

// UTF-7 or UTF-8 through UTF-16 into code page 932; the Japanese characters that Unicode holds
// twice map to their 932 forms, everything else 932 lacks becomes "?".
std::optional<std::string> ConvertViaUnicode(std::string_view text, UnicodeForm which,
                                             const CharsetContext& context);

// The body as shown: converted by the first charset parameter of the Content-Type value that
// converts it; otherwise the body through JisToShiftJis. An empty content type means none.
std::string ConvertBodyCharset(std::string_view body, std::string_view contentType,
                               const CharsetContext& context);

// An RFC 2231 value charset'language'value: percent-decoded, then converted by its charset
// when that is known; otherwise the percent-decoded bytes.
std::string DecodeRfc2231Value(std::string_view text, const CharsetContext& context);

}  // namespace postwink
