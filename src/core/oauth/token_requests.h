#pragma once
// The form bodies sent to the token and device endpoints, and the reading of their answers.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/oauth/oauth_platform.h"
#include "core/oauth/oauth_settings.h"

namespace postwink {

std::string RefreshForm(const OAuthSettings& settings, std::string_view refreshToken);
std::string CodeForm(const OAuthSettings& settings, std::string_view code,
                     std::string_view redirectUri, std::string_view verifier);
std::string DeviceStartForm(const OAuthSettings& settings);
std::string DevicePollForm(const OAuthSettings& settings, std::string_view deviceCode);

// A token lasts this long when the answer does not say.
inline constexpr int64_t kDefaultExpiresInSeconds = 3600;

struct TokenGrant {
  bool ok = false;
  std::string accessToken;
  int64_t expiresIn = kDefaultExpiresInSeconds;
  std::string refreshToken;  // empty when the endpoint kept the old one
  std::string errorCode;     // the endpoint's error code (invalid_grant, authorization_pending)
  std::string error;         // the message for the user
  // The grant is gone for good (revoked, expired): only a new sign-in helps.
  bool signInNeeded = false;
};

// Printable ASCII without blanks: a bearer token is, and anything else would break the SASL
// message it goes into.
bool IsSendableToken(std::string_view token);

TokenGrant ReadTokenAnswer(const HttpsAnswer& answer);

}  // namespace postwink
