#pragma once
// The edge between the program's UTF-8 text and the wide system API: the one pair of conversions
// the window code and the platform layer use (it is built into the latter). Every character
// crosses whole, in both directions.

#include <string>
#include <string_view>

namespace postwink::win {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

}  // namespace postwink::win
