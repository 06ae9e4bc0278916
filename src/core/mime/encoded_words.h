#pragma once
// RFC 2047 encoded words in an (unfolded) header value.

#include <string>
#include <string_view>

#include "core/mime/charset.h"

namespace postwink {

// Decodes every =?charset?encoding?text?= of the value into code page 932: B and Q
// encodings (Q with "_" as a space), white space between two adjacent encoded words dropped,
// CR and LF dropped from decoded words, an incomplete word kept as literal text. When the value
// holds raw ISO-2022-JP outside encoded words, the whole result goes through JisToShiftJis.
// One pass over the value. The result is usually shorter than the value, but a word in a
// single-byte set whose characters are double-byte in 932 (Cyrillic, Greek) can make it longer.
std::string DecodeEncodedWords(std::string_view source, const CharsetContext& context);

}  // namespace postwink
