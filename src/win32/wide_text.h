#pragma once
// The edge between the program's code page 932 text and the wide system API: the one pair of
// conversions the window code uses.

#include <string>
#include <string_view>

namespace postwink::win {

std::wstring Widen(std::string_view cp932);
std::string Narrow(std::wstring_view wide);

}  // namespace postwink::win
