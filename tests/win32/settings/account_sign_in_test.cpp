// The accounts page's sign-in rows under Wine: what each method shows and enables, the
// "サインイン..." button through the browser's redirect to the stored refresh token, and a
// refused consent told in a box.
#include <gtest/gtest.h>

#include <string>

#include "core/oauth/oauth_texts.h"
#include "core/oauth/token_provider.h"
#include "core/settings_ui/settings_ui_texts.h"
#include "sheet_test_support.h"
#include "unit/config/fake_system.h"
#include "unit/oauth/fake_oauth_platform.h"
#include "win32/resource.h"
#include "win32/wide_text.h"

namespace postwink::win {
namespace {

using test::ModalAnswerer;
using test::PumpFor;

class AccountSignIn : public test::SheetTest {
 protected:
  void OpenWithOAuth(const std::string& provider) {
    MakeEngine(1);
    Account& account = *engine_->Accounts()[0];
    account.security = 1;
    account.port = 995;
    account.user = "user@example.com";
    account.oauth.provider = provider;
    account.oauth.clientId = "registered-client";
    tokens_ = &provider_;
    Open();
  }
  int Chosen(int id) { return static_cast<int>(SendMessageW(Control(id), CB_GETCURSEL, 0, 0)); }
  // The state the browser was sent with.
  std::string StateOfOpenedPage() {
    const std::string& url = platform_.browser.opened.back();
    size_t at = url.find("state=");
    return url.substr(at + 6, url.find('&', at) - at - 6);
  }

  postwink::testing::FakeOAuthPlatform platform_;
  postwink::testing::FakeClock clock_;
  TokenProvider provider_{platform_.platform, clock_};
};

TEST_F(AccountSignIn, EachMethodEnablesItsOwnRows) {
  OpenWithOAuth("microsoft");
  EXPECT_EQ(Chosen(IDC_ACCOUNT_SIGNIN_METHOD), 1);
  EXPECT_EQ(Chosen(IDC_ACCOUNT_OAUTH_PROVIDER), 0);
  EXPECT_EQ(Text(IDC_ACCOUNT_OAUTH_CLIENT), "registered-client");
  EXPECT_FALSE(Enabled(IDC_ACCOUNT_PASSWORD));
  EXPECT_FALSE(Enabled(IDC_ACCOUNT_OAUTH_TOKEN_URL));
  EXPECT_TRUE(Enabled(IDC_ACCOUNT_SIGNIN));
  EXPECT_EQ(Text(IDC_ACCOUNT_SIGNIN_STATE), texts::kSignInNotYet);

  Choose(IDC_ACCOUNT_OAUTH_PROVIDER, 2);
  for (int id :
       {IDC_ACCOUNT_OAUTH_AUTH_URL, IDC_ACCOUNT_OAUTH_TOKEN_URL, IDC_ACCOUNT_OAUTH_SCOPE}) {
    EXPECT_TRUE(Enabled(id)) << id;
  }
  // A token command takes the sign-in over.
  Type(IDC_ACCOUNT_OAUTH_COMMAND, "get-token.cmd");
  PumpFor(20);
  EXPECT_FALSE(Enabled(IDC_ACCOUNT_SIGNIN));
  EXPECT_EQ(Text(IDC_ACCOUNT_SIGNIN_STATE), texts::kSignInByCommand);

  Choose(IDC_ACCOUNT_SIGNIN_METHOD, 0);
  EXPECT_TRUE(Enabled(IDC_ACCOUNT_PASSWORD));
  EXPECT_FALSE(Enabled(IDC_ACCOUNT_OAUTH_PROVIDER));
  EXPECT_FALSE(Enabled(IDC_ACCOUNT_SIGNIN));
  EXPECT_EQ(Text(IDC_ACCOUNT_SIGNIN_STATE), texts::kSignInByPassword);
  Type(IDC_ACCOUNT_PASSWORD, "pw");
  Press(PSBTN_APPLYNOW);
  const Account& applied = *engine_->Accounts()[0];
  EXPECT_EQ(applied.oauth.provider, "");
  EXPECT_EQ(applied.oauth.tokenCommand, "");
  EXPECT_EQ(applied.oauth.clientId, "registered-client");
}

TEST_F(AccountSignIn, TheButtonSignsInThroughTheBrowser) {
  OpenWithOAuth("google");
  Click(IDC_ACCOUNT_SIGNIN);
  ASSERT_EQ(platform_.browser.opened.size(), 1u);
  EXPECT_EQ(platform_.browser.opened[0].rfind("https://accounts.google.com/", 0), 0u)
      << platform_.browser.opened[0];
  EXPECT_EQ(Text(IDC_ACCOUNT_SIGNIN_STATE), texts::kSignInRunning);
  EXPECT_FALSE(Enabled(IDC_ACCOUNT_SIGNIN));

  platform_.listener.Get("/?code=the-code&state=" + StateOfOpenedPage());
  ASSERT_EQ(platform_.https.pending.size(), 1u);
  EXPECT_NE(platform_.https.pending[0].request.formBody.find("code=the-code"), std::string::npos);
  platform_.https.Answer(
      200, R"({"access_token":"at","refresh_token":"rt","expires_in":3600,"token_type":"Bearer"})");
  PumpFor(20);
  EXPECT_EQ(Text(IDC_ACCOUNT_SIGNIN_STATE), texts::kSignInDone);
  EXPECT_TRUE(Enabled(IDC_ACCOUNT_SIGNIN));
  ASSERT_EQ(platform_.store.tokens.size(), 1u);
  EXPECT_EQ(platform_.store.tokens.begin()->second, "rt");
}

TEST_F(AccountSignIn, ARefusedConsentIsToldAndNothingIsStored) {
  OpenWithOAuth("microsoft");
  Click(IDC_ACCOUNT_SIGNIN);
  ASSERT_EQ(platform_.browser.opened.size(), 1u);
  {
    ModalAnswerer boxes({ModalAnswerer::Press(IDOK)});
    platform_.listener.Get("/?error=access_denied&error_description=refused&state=" +
                           StateOfOpenedPage());
    PumpFor(50);
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_NE(boxes.Texts()[0].find("ｻｲﾝｲﾝが拒否されました"), std::string::npos)
        << boxes.Texts()[0];
  }
  EXPECT_EQ(Text(IDC_ACCOUNT_SIGNIN_STATE), texts::kSignInNotYet);
  EXPECT_TRUE(platform_.store.tokens.empty());
}

}  // namespace
}  // namespace postwink::win
