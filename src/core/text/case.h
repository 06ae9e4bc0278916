#pragma once
// Comparison without regard to case for names: only ASCII letters fold.

#include <string_view>

namespace postwink {

bool EqualsNoCase(std::string_view a, std::string_view b);

// Whether text begins with prefix, compared as EqualsNoCase does.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// Three-way comparison with the same folding (single-byte letters compare as lower case),
// character by character: negative, 0 or positive. Other characters order by their code point.
int CompareNoCase(std::string_view a, std::string_view b);

// Whether needle occurs in text at a character boundary, compared as EqualsNoCase does.
bool ContainsNoCase(std::string_view text, std::string_view needle);

}  // namespace postwink
