#pragma once
// MD5 message digest (RFC 1321), used for the APOP login.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace postwink {

std::array<uint8_t, 16> Md5(std::string_view data);

// The digest as 32 lowercase hexadecimal digits, two per byte.
std::string Md5Hex(std::string_view data);

}  // namespace postwink
