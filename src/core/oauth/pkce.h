#pragma once
// Proof Key for Code Exchange (RFC 7636) with S256, and the authorization address of a sign-in.

#include <optional>
#include <string>
#include <string_view>

namespace postwink {

class SecureRandom;
struct OAuthSettings;

// Base64 with the URL-safe alphabet and no padding.
std::string Base64UrlEncode(std::string_view bytes);

struct PkcePair {
  std::string verifier;   // 43 characters of the unreserved set, from 32 random bytes
  std::string challenge;  // BASE64URL(SHA-256(verifier))
};
// None when the random source failed.
std::optional<PkcePair> MakePkce(SecureRandom& random);
// 16 random bytes, URL-safe; none when the random source failed.
std::optional<std::string> MakeState(SecureRandom& random);

// application/x-www-form-urlencoded escaping of one name or value.
std::string FormEscape(std::string_view text);

// The address the browser opens: response_type=code, client_id, redirect_uri, scope, state,
// code_challenge with its method, and login_hint with the account's address.
std::string AuthorizationAddress(const OAuthSettings& settings, std::string_view redirectUri,
                                 std::string_view state, std::string_view challenge);

}  // namespace postwink
