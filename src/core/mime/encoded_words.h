#pragma once
// RFC 2047 encoded words in an (unfolded) header value.

#include <string>
#include <string_view>

#include "core/mime/charset.h"

namespace postwink {

// Decodes every =?charset?encoding?text?= of the value into UTF-8: B and Q encodings (Q with "_"
// as a space), white space between two adjacent encoded words dropped, CR and LF dropped from
// decoded words, an incomplete word kept as literal text. The decoded bytes of adjacent words in
// one charset are joined before they are converted, so a character split across two words comes
// out whole; a word in an unknown charset is read as unlabelled text (DecodeUnlabelledText).
// Text outside the words stays when the value is valid UTF-8; otherwise its raw ISO-2022-JP or
// Shift_JIS is read as such. The result is valid UTF-8.
std::string DecodeEncodedWords(std::string_view source, const CharsetContext& context);

}  // namespace postwink
