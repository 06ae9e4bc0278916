#include "core/oauth/token_requests.h"

#include "core/oauth/oauth_texts.h"
#include "core/oauth/pkce.h"
#include "core/oauth/token_response.h"
#include "core/text/utf8.h"

namespace postwink {
namespace {

// What the endpoint says is shown, not all it could say.
constexpr size_t kMaxShownError = 200;

std::string Client(const OAuthSettings& s) {
  std::string form = "client_id=" + FormEscape(s.clientId);
  if (!s.clientSecret.empty()) form += "&client_secret=" + FormEscape(s.clientSecret);
  return form;
}

}  // namespace

bool IsSendableToken(std::string_view token) {
  if (token.empty()) return false;
  for (char c : token) {
    if (c <= ' ' || c > '~') return false;
  }
  return true;
}

std::string RefreshForm(const OAuthSettings& s, std::string_view refreshToken) {
  return "grant_type=refresh_token&refresh_token=" + FormEscape(refreshToken) + "&" + Client(s) +
         "&scope=" + FormEscape(s.scope);
}

std::string CodeForm(const OAuthSettings& s, std::string_view code, std::string_view redirectUri,
                     std::string_view verifier) {
  return "grant_type=authorization_code&code=" + FormEscape(code) +
         "&redirect_uri=" + FormEscape(redirectUri) + "&code_verifier=" + FormEscape(verifier) +
         "&" + Client(s);
}

std::string DeviceStartForm(const OAuthSettings& s) {
  return Client(s) + "&scope=" + FormEscape(s.scope);
}

std::string DevicePollForm(const OAuthSettings& s, std::string_view deviceCode) {
  return "grant_type=" + FormEscape("urn:ietf:params:oauth:grant-type:device_code") +
         "&device_code=" + FormEscape(deviceCode) + "&" + Client(s);
}

TokenGrant ReadTokenAnswer(const HttpsAnswer& answer) {
  TokenGrant grant;
  if (answer.status == 0) {
    grant.error = texts::kOAuthEndpointFailed + answer.error;
    return grant;
  }
  if (answer.tooLarge) {
    grant.error = texts::kOAuthEndpointTooLarge;
    return grant;
  }
  std::optional<TokenResponse> parsed = ParseTokenResponse(answer.body);
  if (!parsed) {
    grant.error = texts::kOAuthEndpointUnreadable;
    grant.error += " (HTTP " + std::to_string(answer.status) + ")";
    return grant;
  }
  if (!parsed->error.empty()) {
    grant.errorCode = parsed->error;
    grant.signInNeeded = parsed->error == "invalid_grant";
    std::string shown = parsed->error;
    if (!parsed->errorDescription.empty()) shown += ": " + parsed->errorDescription;
    grant.error = texts::kOAuthEndpointError + std::string(CutToChars(shown, kMaxShownError));
    return grant;
  }
  if (answer.status < 200 || answer.status > 299) {
    grant.error = texts::kOAuthEndpointUnreadable;
    grant.error += " (HTTP " + std::to_string(answer.status) + ")";
    return grant;
  }
  if (parsed->accessToken.empty()) {
    grant.error = texts::kOAuthNoAccessToken;
    return grant;
  }
  if (!IsSendableToken(parsed->accessToken)) {
    grant.error = texts::kOAuthUnsendableToken;
    return grant;
  }
  grant.ok = true;
  grant.accessToken = std::move(parsed->accessToken);
  if (parsed->expiresIn && *parsed->expiresIn > 0) grant.expiresIn = *parsed->expiresIn;
  grant.refreshToken = std::move(parsed->refreshToken);
  return grant;
}

}  // namespace postwink
