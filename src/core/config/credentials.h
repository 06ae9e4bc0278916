#pragma once
// User names and passwords as the POP3 commands carry them. A CR, LF or NUL in one would end the
// command early and let the rest of the value reach the server as a command of its own (a DELE,
// say), so no such value is ever stored or sent.

#include <string_view>

namespace postwink {

// "ﾕｰｻﾞ名かﾊﾟｽﾜｰﾄﾞに使用できない文字(改行またはNUL)が含まれています"
inline constexpr char kCredentialRefused[] =
    "\xD5\xB0\xBB\xDE\x96\xBC\x82\xA9\xCA\xDF\xBD\xDC\xB0\xC4\xDE\x82\xC9\x8Eg\x97p\x82\xC5\x82\xAB"
    "\x82\xC8\x82\xA2\x95\xB6\x8E\x9A(\x89\xFC\x8Ds\x82\xDC\x82\xBD\x82\xCDNUL)\x82\xAA\x8A\xDC\x82"
    "\xDC\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB7";

// True when the value holds no CR, LF or NUL.
bool IsSendableCredential(std::string_view value);

}  // namespace postwink
