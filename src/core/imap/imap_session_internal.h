#pragma once
// Text helpers the IMAP session's sign-in and its folder walk both need.

#include <string>
#include <string_view>

namespace postwink {

// A quoted string with its quotes and backslashes escaped.
std::string Quoted(std::string_view text);
std::string UpperAscii(std::string_view text);

}  // namespace postwink
