#pragma once
// User names and passwords as the POP3 commands carry them. A CR, LF or NUL in one would end the
// command early and let the rest of the value reach the server as a command of its own (a DELE,
// say), so no such value is ever stored or sent.

#include <string_view>

namespace postwink {

// "ﾕｰｻﾞ名かﾊﾟｽﾜｰﾄﾞに使用できない文字(改行またはNUL)が含まれています"
inline constexpr char kCredentialRefused[] =
    "ﾕｰｻﾞ名かﾊﾟｽﾜｰﾄﾞに使用できない文字(改行またはNUL)が含まれています";

// True when the value holds no CR, LF or NUL.
bool IsSendableCredential(std::string_view value);

}  // namespace postwink
