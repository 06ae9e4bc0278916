#include "core/oauth/oauth_settings.h"

#include <gtest/gtest.h>

#include "core/config/account.h"
#include "core/oauth/oauth_texts.h"

namespace postwink {
namespace {

AccountFields Fields(const char* provider, int protocol, OAuthKeys keys = {}) {
  AccountFields f;
  f.user = "Alice@Example.com";
  f.protocol = protocol;
  keys.provider = provider;
  f.oauth = keys;
  return f;
}

TEST(OAuthSettings, ProvidersGiveEndpointsAndScopePerProtocol) {
  struct Case {
    const char* provider;
    int protocol;
    const char* tokenUrl;
    const char* scope;
  } cases[] = {
      {"microsoft", kProtocolPop3, "https://login.microsoftonline.com/common/oauth2/v2.0/token",
       "offline_access https://outlook.office.com/POP.AccessAsUser.All"},
      {"Microsoft", kProtocolImap, "https://login.microsoftonline.com/common/oauth2/v2.0/token",
       "offline_access https://outlook.office.com/IMAP.AccessAsUser.All"},
      {"google", kProtocolImap, "https://oauth2.googleapis.com/token", "https://mail.google.com/"},
      {"google", kProtocolPop3, "https://oauth2.googleapis.com/token", "https://mail.google.com/"},
  };
  for (const Case& c : cases) {
    std::optional<OAuthSettings> s = OAuthSettingsOf(Fields(c.provider, c.protocol, {"", "id"}));
    ASSERT_TRUE(s) << c.provider;
    EXPECT_EQ(s->tokenUrl, c.tokenUrl) << c.provider;
    EXPECT_EQ(s->scope, c.scope) << c.provider;
    EXPECT_FALSE(s->authUrl.empty());
    EXPECT_FALSE(s->deviceUrl.empty());
    EXPECT_EQ(s->user, "Alice@Example.com");
    EXPECT_EQ(OAuthSettingsProblem(*s), nullptr) << c.provider;
  }
}

TEST(OAuthSettings, PasswordAccountsCommandsCustomAndProblems) {
  // No OAUTH and no command: the account signs in with its password as ever.
  EXPECT_FALSE(OAuthSettingsOf(Fields("", kProtocolPop3)));
  // A command alone makes it an OAuth account, with nothing else needed.
  std::optional<OAuthSettings> command =
      OAuthSettingsOf(Fields("", kProtocolPop3, {"", "", "", "", "", "", "get-token"}));
  ASSERT_TRUE(command);
  EXPECT_EQ(command->tokenCommand, "get-token");

  struct Case {
    const char* provider;
    OAuthKeys keys;
    const char* problem;
  } cases[] = {
      {"custom", {"", "id", "", "https://a/auth", "https://a/token", "mail"}, nullptr},
      {"custom", {"", "id", "", "https://a/auth", "", "mail"}, texts::kOAuthNoEndpoints},
      {"custom", {"", "id", "", "https://a/auth", "https://a/token", ""}, texts::kOAuthNoEndpoints},
      {"google", {}, texts::kOAuthNoClientId},
      // An unknown provider never falls back to the password.
      {"yahoo", {"", "id"}, texts::kOAuthProviderInvalid},
  };
  for (const Case& c : cases) {
    std::optional<OAuthSettings> s = OAuthSettingsOf(Fields(c.provider, kProtocolImap, c.keys));
    ASSERT_TRUE(s) << c.provider;
    const char* problem = OAuthSettingsProblem(*s);
    EXPECT_STREQ(problem ? problem : "", c.problem ? c.problem : "") << c.provider;
  }
  // The keys override a built-in provider's values (a tenant of one's own).
  std::optional<OAuthSettings> tenant =
      OAuthSettingsOf(Fields("microsoft", kProtocolImap, {"", "id", "", "", "https://t/token"}));
  EXPECT_EQ(tenant->tokenUrl, "https://t/token");
}

TEST(OAuthSettings, StoreKeySeparatesAccountsButNotCaseOfTheAddress) {
  OAuthSettings a = *OAuthSettingsOf(Fields("google", kProtocolImap, {"", "id"}));
  OAuthSettings b = a;
  b.user = "alice@example.com";
  EXPECT_EQ(TokenStoreKey(a), TokenStoreKey(b));
  b.user = "bob@example.com";
  EXPECT_NE(TokenStoreKey(a), TokenStoreKey(b));
  b = a;
  b.clientId = "other";
  EXPECT_NE(TokenStoreKey(a), TokenStoreKey(b));
}

}  // namespace
}  // namespace postwink
