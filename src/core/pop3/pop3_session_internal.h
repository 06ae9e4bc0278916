#pragma once
// What the POP3 session's sign-in and its fetch both use.

#include <cstddef>
#include <string_view>

namespace postwink {

inline constexpr size_t kDefaultBuffer = 32768;

// The word after the first word and its spaces, and where the text after it starts.
std::string_view NextWord(std::string_view text, size_t& pos);

}  // namespace postwink
