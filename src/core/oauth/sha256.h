#pragma once
// SHA-256 (FIPS 180-4), for the PKCE challenge.

#include <array>
#include <cstdint>
#include <string_view>

namespace postwink {

std::array<uint8_t, 32> Sha256(std::string_view data);

}  // namespace postwink
