#pragma once
// An account's OAuth 2.0 sign-in as its keys describe it: the provider's endpoints and scope
// for the account's protocol, the registered client and the user's token command.

#include <optional>
#include <string>

namespace postwink {

struct AccountFields;

enum class OAuthProvider { kNone, kMicrosoft, kGoogle, kCustom };

// The OAUTH key's values: "", "microsoft", "google", "custom".
const char* OAuthProviderName(OAuthProvider provider);
// Case-insensitive; nullopt for a value that names no provider.
std::optional<OAuthProvider> ParseOAuthProvider(const std::string& text);

struct OAuthSettings {
  OAuthProvider provider = OAuthProvider::kNone;
  bool providerInvalid = false;  // OAUTH holds a value that names no provider
  std::string clientId;
  std::string clientSecret;  // empty: a public client
  std::string authUrl;
  std::string tokenUrl;
  // Where the device authorization grant starts; empty when the provider has none known.
  std::string deviceUrl;
  std::string scope;
  // When set, the access token is the first line it prints and no built-in sign-in happens.
  std::string tokenCommand;
  // The account's address, the user of the SASL message.
  std::string user;

  bool operator==(const OAuthSettings&) const = default;
};

// None when the account signs in with a password. An account with a token command signs in
// with OAuth whatever OAUTH says.
std::optional<OAuthSettings> OAuthSettingsOf(const AccountFields& fields);

// The message that keeps the settings from a built-in sign-in or refresh, or null.
const char* OAuthSettingsProblem(const OAuthSettings& settings);

// Names the stored refresh token: one per token endpoint, client, scope and user.
std::string TokenStoreKey(const OAuthSettings& settings);

}  // namespace postwink
