#pragma once
// The text that tells one message from another on the server when numbers shift.

#include <string>
#include <string_view>

namespace postwink {

// The Message-Id from "<" through ">", else the X-UIDL value, else Date "." From. Only the
// header block is searched.
std::string MessageIdentity(std::string_view text);

}  // namespace postwink
