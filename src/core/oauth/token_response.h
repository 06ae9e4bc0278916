#pragma once
// The token endpoint's JSON answer (RFC 6749 section 5), read with bounds: a hostile endpoint
// gets a clear error, never a crash.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace postwink {

struct TokenResponse {
  std::string accessToken;
  std::optional<int64_t> expiresIn;  // seconds
  std::string refreshToken;
  std::string error;  // error code of an error answer (invalid_grant, ...)
  std::string errorDescription;
  // Device authorization (RFC 8628) answers share the reader.
  std::string deviceCode;
  std::string userCode;
  std::string verificationUri;
  std::optional<int64_t> interval;
  // The SASL error challenge of RFC 7628 shares it too.
  std::string status;
};

// None when the text is not one JSON object (or nests too deep, or holds a control character in
// a string); unknown members are skipped; numbers given as strings are taken too.
std::optional<TokenResponse> ParseTokenResponse(std::string_view json);

}  // namespace postwink
