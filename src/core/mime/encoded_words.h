#pragma once
// RFC 2047 encoded words in an (unfolded) header value.

#include <string>
#include <string_view>

#include "core/mime/charset.h"

namespace postwink {

// Decodes every =?charset?encoding?text?= of the value into code page 932: B and Q
// encodings (Q with "_" as a space), white space between two adjacent encoded words dropped,
// CR and LF dropped from decoded words, an incomplete word kept as literal text. The decoded
// bytes of adjacent words in one charset are joined before they are converted, so a character
// split across two words comes out whole; a word in an unknown charset is read as unlabelled
// text (DecodeUnlabelledText). A value that is valid UTF-8 with multi-byte characters outside
// the words is read as UTF-8; when it holds raw ISO-2022-JP instead, the whole result goes
// through JisToShiftJis.
// One pass over the value. The result is usually shorter than the value, but a word in a
// single-byte set whose characters are double-byte in 932 (Cyrillic, Greek) can make it longer.
std::string DecodeEncodedWords(std::string_view source, const CharsetContext& context);

}  // namespace postwink
