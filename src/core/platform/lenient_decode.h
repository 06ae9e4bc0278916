#pragma once
// Decoding with a converter that refuses any text holding an invalid byte (as Windows does when
// asked to report them), made to read such text as iconv is read on the other platform.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace postwink {

// Converts bytes that must all be valid in the set; nullopt when one is not.
using StrictDecode = std::function<std::optional<std::u16string>(std::string_view bytes)>;

// The text through strict, in pieces of at most pieceSize bytes (each cut just after a byte
// below 0x30 when one is near, as such a byte is never inside a character of the sets that come
// here). A piece that strict refuses goes in runs ending at such bytes, and a run that it
// refuses a character at a time: an invalid or cut-short sequence becomes one U+FFFD for its
// first byte, and the next byte starts afresh.
std::u16string DecodeLeniently(std::string_view bytes, const StrictDecode& strict,
                               size_t pieceSize = size_t{1} << 24);

}  // namespace postwink
