#pragma once
// Header field lookup: names (with their colon) matched without regard to case at the start of
// logical lines of the header block, values unfolded. Positions are byte offsets into the text.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/mime/charset.h"
#include "core/text/case.h"

namespace postwink {

// Offset of the first character of the first value of the field, or none. The search ends at
// the empty line that ends the header block.
std::optional<size_t> FindHeaderField(std::string_view text, std::string_view name);

// The unfolded value of the first occurrence of the field.
std::optional<std::string> GetHeaderField(std::string_view text, std::string_view name);

// The unfolded values of every occurrence in header order, joined by ",".
std::optional<std::string> GetHeaderFieldAll(std::string_view text, std::string_view name);

// GetHeaderField (or GetHeaderFieldAll when all is set), then DecodeEncodedWords.
std::optional<std::string> GetDecodedField(std::string_view text, std::string_view name, bool all,
                                           const CharsetContext& context);

// Where the body starts: just after the empty line that ends the header block, or at the first
// line that is neither a field nor a continuation (a header written without its empty line;
// a line of only blanks is a continuation). None when the text ends inside the header.
std::optional<size_t> FindBodyStart(std::string_view text);

}  // namespace postwink
