#include "core/settings_ui/sign_in_model.h"

#include <gtest/gtest.h>

#include "core/oauth/oauth_texts.h"
#include "core/settings_ui/account_page_model.h"
#include "core/settings_ui/settings_ui_texts.h"
#include "unit/check/fake_check_host.h"

namespace postwink {
namespace {

AccountFields OAuthAccount(std::string provider, std::string command = "") {
  AccountFields f;
  f.server = "outlook.office365.com";
  f.user = "user@example.com";
  f.port = 995;
  f.security = 1;
  f.enabled = 1;
  f.oauth.provider = std::move(provider);
  f.oauth.clientId = "client";
  f.oauth.tokenCommand = std::move(command);
  return f;
}

TEST(SignInRows, ShowWhatTheKeysSay) {
  struct Case {
    std::string provider;
    std::string command;
    int method;
    int index;
  };
  const Case cases[] = {
      {"", "", 0, -1},          {"microsoft", "", 1, 0}, {"Google", "", 1, 1}, {"custom", "", 1, 2},
      {"", "get-token", 1, -1}, {"yahoo", "", 1, -1},  // names no provider: still OAuth, never the
                                                       // password
  };
  for (const Case& c : cases) {
    SignInRows rows = SignInRowsOf(OAuthAccount(c.provider, c.command));
    EXPECT_EQ(rows.method, c.method) << c.provider << c.command;
    EXPECT_EQ(rows.provider, c.index) << c.provider << c.command;
  }
}

TEST(SignInRows, TakenBackIntoTheKeys) {
  OAuthKeys typed{"", "id", "secret", "https://a", "https://t", "scope", ""};
  AccountFields f = OAuthAccount("yahoo");
  TakeSignInRows(f, {1, 1}, typed);
  EXPECT_EQ(f.oauth.provider, "google");
  EXPECT_EQ(f.oauth.clientId, "id");
  EXPECT_EQ(f.oauth.scope, "scope");
  // No choice keeps the hand-written value.
  f.oauth.provider = "yahoo";
  TakeSignInRows(f, {1, -1}, typed);
  EXPECT_EQ(f.oauth.provider, "yahoo");
  // Back to the password: nothing left that would make the account OAuth.
  typed.tokenCommand = "get-token";
  TakeSignInRows(f, {0, 2}, typed);
  EXPECT_EQ(f.oauth.provider, "");
  EXPECT_EQ(f.oauth.tokenCommand, "");
  EXPECT_EQ(f.oauth.clientId, "id");
  EXPECT_FALSE(SignInRowsOf(f).method);
}

TEST(SignInRows, EnableWhatTheMethodUses) {
  SignInEnabling password = SignInEnablingOf({0, -1}, "");
  EXPECT_TRUE(password.password);
  EXPECT_FALSE(password.oauth || password.custom || password.signInButton);
  SignInEnabling microsoft = SignInEnablingOf({1, 0}, "");
  EXPECT_FALSE(microsoft.password || microsoft.custom);
  EXPECT_TRUE(microsoft.oauth && microsoft.signInButton);
  EXPECT_TRUE(SignInEnablingOf({1, 2}, "").custom);
  EXPECT_FALSE(SignInEnablingOf({1, 0}, "get-token").signInButton);
}

TEST(SignInRows, StateBesideTheButton) {
  EXPECT_EQ(SignInStateText(OAuthAccount(""), false, false), texts::kSignInByPassword);
  EXPECT_EQ(SignInStateText(OAuthAccount("", "cmd"), true, true), texts::kSignInByCommand);
  EXPECT_EQ(SignInStateText(OAuthAccount("google"), false, false), texts::kSignInNotYet);
  EXPECT_EQ(SignInStateText(OAuthAccount("google"), true, false), texts::kSignInDone);
  EXPECT_EQ(SignInStateText(OAuthAccount("google"), true, true), texts::kSignInRunning);
}

TEST(SignInRows, ApplyRefusesAnAccountThatCannotSignIn) {
  auto accounts = testing::MakeAccounts(1);
  AccountsPageModel page(accounts, 0);
  struct Case {
    AccountFields fields;
    std::optional<std::string> refusal;
  };
  AccountFields plain = OAuthAccount("microsoft");
  plain.security = 0;
  AccountFields noClient = OAuthAccount("google");
  noClient.oauth.clientId.clear();
  AccountFields noUser = OAuthAccount("microsoft");
  noUser.user.clear();
  AccountFields command = OAuthAccount("", "get-token");
  command.oauth.clientId.clear();
  AccountFields password = OAuthAccount("");
  password.password = "secret";
  AccountFields disabled = plain;
  disabled.enabled = 0;
  const Case cases[] = {
      {OAuthAccount("microsoft"), std::nullopt},  // no password needed
      {plain, texts::kOAuthNeedsTls},
      {noClient, texts::kOAuthNoClientId},
      {noUser, texts::kIncompleteAccount},
      {OAuthAccount("custom"), texts::kOAuthNoEndpoints},
      {command, std::nullopt},
      {password, std::nullopt},
      {disabled, std::nullopt},
  };
  for (const Case& c : cases) {
    std::optional<AccountsPageModel::Refusal> refusal = page.Validate(c.fields);
    EXPECT_EQ(refusal ? std::optional<std::string>(refusal->message) : std::nullopt, c.refusal)
        << c.fields.oauth.provider << c.fields.security;
  }
}

}  // namespace
}  // namespace postwink
