#include "core/oauth/oauth_settings.h"

#include "core/config/account.h"
#include "core/oauth/oauth_texts.h"
#include "core/text/case.h"

namespace postwink {
namespace {

constexpr char kMicrosoftBase[] = "https://login.microsoftonline.com/common/oauth2/v2.0/";
constexpr char kMicrosoftPop[] = "https://outlook.office.com/POP.AccessAsUser.All";
constexpr char kMicrosoftImap[] = "https://outlook.office.com/IMAP.AccessAsUser.All";
constexpr char kGoogleAuth[] = "https://accounts.google.com/o/oauth2/v2/auth";
constexpr char kGoogleToken[] = "https://oauth2.googleapis.com/token";
constexpr char kGoogleDevice[] = "https://oauth2.googleapis.com/device/code";
constexpr char kGoogleScope[] = "https://mail.google.com/";

}  // namespace

const char* OAuthProviderName(OAuthProvider provider) {
  switch (provider) {
    case OAuthProvider::kMicrosoft:
      return "microsoft";
    case OAuthProvider::kGoogle:
      return "google";
    case OAuthProvider::kCustom:
      return "custom";
    case OAuthProvider::kNone:
      break;
  }
  return "";
}

std::optional<OAuthProvider> ParseOAuthProvider(const std::string& text) {
  for (OAuthProvider p : {OAuthProvider::kNone, OAuthProvider::kMicrosoft, OAuthProvider::kGoogle,
                          OAuthProvider::kCustom}) {
    if (EqualsNoCase(text, OAuthProviderName(p))) return p;
  }
  return std::nullopt;
}

std::optional<OAuthSettings> OAuthSettingsOf(const AccountFields& fields) {
  const OAuthKeys& keys = fields.oauth;
  // A value that names no provider still means OAuth: OAuthSettingsProblem reports it rather
  // than the account falling back to sending its password.
  std::optional<OAuthProvider> provider = ParseOAuthProvider(keys.provider);
  if (provider == OAuthProvider::kNone && keys.tokenCommand.empty()) return std::nullopt;
  OAuthSettings s;
  s.provider = provider.value_or(OAuthProvider::kNone);
  s.clientId = keys.clientId;
  s.clientSecret = keys.clientSecret;
  s.tokenCommand = keys.tokenCommand;
  s.user = fields.user;
  switch (s.provider) {
    case OAuthProvider::kMicrosoft:
      s.authUrl = std::string(kMicrosoftBase) + "authorize";
      s.tokenUrl = std::string(kMicrosoftBase) + "token";
      s.deviceUrl = std::string(kMicrosoftBase) + "devicecode";
      s.scope = std::string("offline_access ") +
                (fields.protocol == kProtocolImap ? kMicrosoftImap : kMicrosoftPop);
      break;
    case OAuthProvider::kGoogle:
      s.authUrl = kGoogleAuth;
      s.tokenUrl = kGoogleToken;
      s.deviceUrl = kGoogleDevice;
      s.scope = kGoogleScope;
      break;
    case OAuthProvider::kCustom:
    case OAuthProvider::kNone:
      s.authUrl = keys.authUrl;
      s.tokenUrl = keys.tokenUrl;
      s.scope = keys.scope;
      break;
  }
  // The keys win over the built-in values, for a tenant of one's own or a narrower scope.
  if (!keys.authUrl.empty()) s.authUrl = keys.authUrl;
  if (!keys.tokenUrl.empty()) s.tokenUrl = keys.tokenUrl;
  if (!keys.scope.empty()) s.scope = keys.scope;
  s.providerInvalid = !provider.has_value();
  return s;
}

const char* OAuthSettingsProblem(const OAuthSettings& s) {
  if (s.providerInvalid || s.provider == OAuthProvider::kNone) {
    return texts::kOAuthProviderInvalid;
  }
  if (s.clientId.empty()) return texts::kOAuthNoClientId;
  if (s.authUrl.empty() || s.tokenUrl.empty() || s.scope.empty()) return texts::kOAuthNoEndpoints;
  return nullptr;
}

std::string TokenStoreKey(const OAuthSettings& s) {
  // Lower-cased like the servers take user names; fields joined by a character none can hold.
  std::string key = s.tokenUrl;
  key += '\n';
  key += s.clientId;
  key += '\n';
  key += s.scope;
  key += '\n';
  for (char c : s.user) key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return key;
}

}  // namespace postwink
