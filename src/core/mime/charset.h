#pragma once
// Character sets of mail into UTF-8.

#include <optional>
#include <string>
#include <string_view>

#include "core/platform/system.h"

namespace postwink {

// What decoding needs from the platform. Build one from
// PlatformSystem().codePage and PlatformCharsetConverter() (or fakes in tests).
struct CharsetContext {
  const CodePage& codePage;
  const CharsetConverter& converter;
};

enum class UnicodeForm { kUtf7 = 0, kUtf8 = 1 };

// Converts text in the named character set into UTF-8. `charsetName` is the text where
// the name begins; it may run on (the rest of an encoded word after "=?", or of a Content-Type
// value after "charset="); FindCharset says which names are known. nullopt for a set that is not
// known (or that the platform cannot convert): the caller decides what the bytes are.
// Mislabelled Japanese text stays readable: text with ISO-2022-JP escapes is read as
// ISO-2022-JP under any label but ISO-2022-KR and UTF-7, a US-ASCII label is no label at all
// (DecodeUnlabelledText), and a single-byte set leaves text alone that is plainly Shift_JIS.
// The Japanese sets read as Windows reads Shift_JIS (0x8160 is U+FF5E, and its kin); bytes that
// are not valid in the set become U+FFFD, so the result is always valid UTF-8. It may be longer
// than the input.
std::optional<std::string> ConvertCharset(std::string_view text, std::string_view charsetName,
                                          const CharsetContext& context);

// Text that no known charset describes (no label, an unknown one, US-ASCII over 8-bit bytes, a
// raw 8-bit header): valid UTF-8 stays as it is, since Shift_JIS text almost never is valid UTF-8;
// anything else is read as ISO-2022-JP, whose 8-bit bytes are read as Shift_JIS.
std::string DecodeUnlabelledText(std::string_view text, const CharsetContext& context);

// UTF-7 or UTF-8 into UTF-8; invalid sequences become U+FFFD.
std::optional<std::string> ConvertViaUnicode(std::string_view text, UnicodeForm which,
                                             const CharsetContext& context);

// The body as shown: converted by the first charset parameter of the Content-Type value that
// converts it; otherwise DecodeUnlabelledText. An empty content type means none.
std::string ConvertBodyCharset(std::string_view body, std::string_view contentType,
                               const CharsetContext& context);

// An RFC 2231 value charset'language'value: percent-decoded, then converted by its charset
// when that is known; otherwise read as unlabelled text.
std::string DecodeRfc2231Value(std::string_view text, const CharsetContext& context);

}  // namespace postwink
