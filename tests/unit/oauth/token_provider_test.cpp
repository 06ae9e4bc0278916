#include "core/oauth/token_provider.h"

#include <gtest/gtest.h>

#include "core/mime/transfer_encoding.h"
#include "core/oauth/oauth_texts.h"
#include "core/oauth/pkce.h"
#include "core/oauth/sha256.h"
#include "unit/config/fake_system.h"
#include "unit/oauth/fake_oauth_platform.h"

namespace postwink {
namespace {

// The value of name in a form body or a query, decoded.
std::string Param(const std::string& text, const std::string& name) {
  size_t start = text.find(name + "=");
  while (start != std::string::npos && start > 0 && text[start - 1] != '&' &&
         text[start - 1] != '?') {
    start = text.find(name + "=", start + 1);
  }
  if (start == std::string::npos) return "";
  start += name.size() + 1;
  return PercentDecode(text.substr(start, text.find('&', start) - start));
}

class TokenProviderTest : public ::testing::Test {
 protected:
  TokenProviderTest() {
    settings.provider = OAuthProvider::kCustom;
    settings.clientId = "client";
    settings.authUrl = "https://auth.example/authorize";
    settings.tokenUrl = "https://auth.example/token";
    settings.scope = "mail";
    settings.user = "alice@example.com";
  }
  TokenAnswer Ask() {
    return tokens.AccessToken(settings, [this] { ++changed; });
  }

  testing::FakeOAuthPlatform fake;
  testing::FakeClock clock;
  OAuthSettings settings;
  TokenProvider tokens{fake.platform, clock};
  int changed = 0;
};

TEST_F(TokenProviderTest, RefreshesInTheBackgroundKeepsTheTokenAndRefreshesBeforeExpiry) {
  fake.store.tokens[TokenStoreKey(settings)] = "refresh-1";
  EXPECT_EQ(Ask().state, TokenState::kPending);
  // A second ask while the refresh runs starts no second request.
  EXPECT_EQ(Ask().state, TokenState::kPending);
  ASSERT_EQ(fake.https.posts.size(), 1u);
  EXPECT_EQ(fake.https.posts[0].url, "https://auth.example/token");
  EXPECT_EQ(Param(fake.https.posts[0].formBody, "grant_type"), "refresh_token");
  EXPECT_EQ(Param(fake.https.posts[0].formBody, "refresh_token"), "refresh-1");
  fake.https.Answer(200, R"({"access_token":"A1","expires_in":3600,"refresh_token":"refresh-2"})");
  EXPECT_EQ(changed, 2);
  TokenAnswer ready = Ask();
  EXPECT_EQ(ready.state, TokenState::kReady);
  EXPECT_EQ(ready.accessToken, "A1");
  // A rotated refresh token replaces the old one.
  EXPECT_EQ(fake.store.tokens[TokenStoreKey(settings)], "refresh-2");

  clock.monotonicMs += 3600 * 1000 - kRefreshMarginMs - 1000;
  EXPECT_EQ(Ask().state, TokenState::kReady);
  EXPECT_EQ(fake.https.posts.size(), 1u);
  clock.monotonicMs += 2000;  // inside the margin: refreshed before it runs out
  EXPECT_EQ(Ask().state, TokenState::kPending);
  ASSERT_EQ(fake.https.posts.size(), 2u);
  EXPECT_EQ(Param(fake.https.posts[1].formBody, "refresh_token"), "refresh-2");
  // Without a new refresh token in the answer the stored one stays.
  fake.https.Answer(200, R"({"access_token":"A2"})");
  EXPECT_EQ(Ask().accessToken, "A2");
  EXPECT_EQ(fake.store.tokens[TokenStoreKey(settings)], "refresh-2");

  // A refused token is not offered again.
  tokens.Refused(settings);
  EXPECT_EQ(Ask().state, TokenState::kPending);
}

TEST_F(TokenProviderTest, RevokedGrantAsksToSignInAgainAndForgetsTheRefreshToken) {
  fake.store.tokens[TokenStoreKey(settings)] = "revoked";
  Ask();
  fake.https.Answer(400, R"({"error":"invalid_grant","error_description":"revoked"})");
  TokenAnswer failed = Ask();
  EXPECT_EQ(failed.state, TokenState::kFailed);
  EXPECT_TRUE(failed.signInNeeded);
  EXPECT_EQ(failed.error.rfind(texts::kOAuthSignInAgain, 0), 0u) << failed.error;
  EXPECT_TRUE(fake.store.tokens.empty());
  // The next ask needs no request to know.
  TokenAnswer again = Ask();
  EXPECT_EQ(again.error, texts::kOAuthNotSignedIn);
  EXPECT_TRUE(again.signInNeeded);
  EXPECT_EQ(fake.https.posts.size(), 1u);
  EXPECT_FALSE(tokens.SignedIn(settings));
}

TEST_F(TokenProviderTest, EndpointTroubleIsAnsweredOnceAndKeepsTheRefreshToken) {
  fake.store.tokens[TokenStoreKey(settings)] = "r";
  Ask();
  fake.https.Answer(503, "<html>busy</html>");
  TokenAnswer failed = Ask();
  EXPECT_EQ(failed.state, TokenState::kFailed);
  EXPECT_FALSE(failed.signInNeeded);
  EXPECT_EQ(fake.store.tokens.size(), 1u);
  EXPECT_EQ(Ask().state, TokenState::kPending);  // tried again
}

TEST_F(TokenProviderTest, TokenCommandGivesTheTokenForOneCheck) {
  settings.tokenCommand = "get-token --account alice";
  EXPECT_EQ(Ask().state, TokenState::kPending);
  ASSERT_EQ(fake.commands.pending.size(), 1u);
  fake.commands.pending.front()({true, "T-1", ""});
  fake.commands.pending.clear();
  EXPECT_EQ(Ask().accessToken, "T-1");
  EXPECT_TRUE(fake.https.posts.empty());
  clock.monotonicMs += 61 * 1000;
  EXPECT_EQ(Ask().state, TokenState::kPending);
  EXPECT_EQ(fake.commands.commands.size(), 2u);

  struct Case {
    CommandOutput output;
    std::string error;
  } cases[] = {
      {{false, "", "exit status 1"}, std::string(texts::kOAuthCommandFailed) + "exit status 1"},
      {{true, "", ""}, texts::kOAuthCommandEmpty},
      {{true, "tok en", ""}, texts::kOAuthUnsendableToken},
  };
  for (const Case& c : cases) {
    fake.commands.immediate = c.output;
    clock.monotonicMs += 61 * 1000;
    fake.commands.pending.clear();
    TokenProvider fresh(fake.platform, clock);
    // A runner that answers at once gives the answer to the same ask.
    TokenAnswer answer = fresh.AccessToken(settings);
    EXPECT_EQ(answer.state, TokenState::kFailed);
    EXPECT_EQ(answer.error, c.error);
  }
  fake.commands.immediate = CommandOutput{true, "T-2", ""};
  TokenProvider fresh(fake.platform, clock);
  EXPECT_EQ(fresh.AccessToken(settings).accessToken, "T-2");
}

TEST_F(TokenProviderTest, NoSignInNoSettingsNoToken) {
  EXPECT_EQ(Ask().error, texts::kOAuthNotSignedIn);
  settings.clientId.clear();
  EXPECT_EQ(Ask().error, texts::kOAuthNoClientId);
  EXPECT_TRUE(fake.https.posts.empty());
}

TEST_F(TokenProviderTest, BrowserSignInWithPkceAndState) {
  std::optional<SignInOutcome> outcome;
  ASSERT_TRUE(tokens.BeginSignIn(settings, [&](SignInOutcome o) { outcome = o; }));
  EXPECT_FALSE(tokens.BeginSignIn(settings, [](SignInOutcome) {}));
  ASSERT_EQ(fake.browser.opened.size(), 1u);
  const std::string& url = fake.browser.opened[0];
  EXPECT_EQ(url.rfind("https://auth.example/authorize?", 0), 0u);
  EXPECT_EQ(Param(url, "redirect_uri"), "http://127.0.0.1:50123/");
  EXPECT_EQ(Param(url, "code_challenge_method"), "S256");
  std::string state = Param(url, "state");
  EXPECT_GE(state.size(), 20u);
  // A stray request (the browser's icon) is answered and the wait goes on.
  EXPECT_FALSE(fake.listener.Get("/favicon.ico").finished);
  LoopbackAnswer answer = fake.listener.Get("/?code=CODE&state=" + state);
  EXPECT_TRUE(answer.finished);
  EXPECT_EQ(answer.response.rfind("HTTP/1.1 200", 0), 0u);
  EXPECT_FALSE(outcome);
  ASSERT_EQ(fake.https.posts.size(), 1u);
  const std::string& form = fake.https.posts[0].formBody;
  EXPECT_EQ(Param(form, "code"), "CODE");
  EXPECT_EQ(Param(form, "redirect_uri"), "http://127.0.0.1:50123/");
  std::string verifier = Param(form, "code_verifier");
  std::array<uint8_t, 32> digest = Sha256(verifier);
  EXPECT_EQ(Base64UrlEncode(std::string_view(reinterpret_cast<const char*>(digest.data()), 32)),
            Param(url, "code_challenge"));
  fake.https.Answer(200, R"({"access_token":"A","expires_in":600,"refresh_token":"R"})");
  ASSERT_TRUE(outcome);
  EXPECT_TRUE(outcome->ok) << outcome->error;
  EXPECT_EQ(fake.store.tokens[TokenStoreKey(settings)], "R");
  EXPECT_TRUE(tokens.SignedIn(settings));
  EXPECT_EQ(Ask().accessToken, "A");
  EXPECT_FALSE(tokens.SigningIn());
}

TEST_F(TokenProviderTest, BrowserSignInFailuresEachWithTheirMessage) {
  struct Case {
    std::string target;  // "" = the listener times out; "$" stands for the right state
    std::string error;
  } cases[] = {
      {"/?error=access_denied&error_description=no+consent&state=$",
       std::string(texts::kOAuthSignInDenied) + "access_denied: no consent"},
      {"/?code=C&state=stale", texts::kOAuthStaleState},
      {"/?state=$", texts::kOAuthNoCode},
      {"", texts::kOAuthSignInTimeout},
  };
  for (const Case& c : cases) {
    fake.browser.opened.clear();
    std::optional<SignInOutcome> outcome;
    ASSERT_TRUE(tokens.BeginSignIn(settings, [&](SignInOutcome o) { outcome = o; }));
    std::string state = Param(fake.browser.opened.at(0), "state");
    if (c.target.empty()) {
      fake.listener.onTimeout();
    } else {
      std::string target = c.target;
      if (size_t at = target.find('$'); at != std::string::npos) target.replace(at, 1, state);
      EXPECT_TRUE(fake.listener.Get(target).finished);
    }
    ASSERT_TRUE(outcome) << c.target;
    EXPECT_FALSE(outcome->ok);
    EXPECT_EQ(outcome->error, c.error);
    EXPECT_FALSE(tokens.SigningIn());
  }
  EXPECT_TRUE(fake.https.posts.empty());
  EXPECT_TRUE(fake.store.tokens.empty());

  std::optional<SignInOutcome> outcome;
  fake.browser.works = false;
  tokens.BeginSignIn(settings, [&](SignInOutcome o) { outcome = o; });
  EXPECT_EQ(outcome->error, texts::kOAuthNoBrowser);
  EXPECT_FALSE(fake.listener.listening);
  settings.tokenCommand = "cmd";
  tokens.BeginSignIn(settings, [&](SignInOutcome o) { outcome = o; });
  EXPECT_EQ(outcome->error, texts::kOAuthWithCommand);
}

TEST_F(TokenProviderTest, CallbacksAfterTheProviderIsGoneDoNothing) {
  fake.store.tokens[TokenStoreKey(settings)] = "r";
  {
    TokenProvider gone(fake.platform, clock);
    gone.AccessToken(settings, [this] { ++changed; });
  }
  fake.https.Answer(200, R"({"access_token":"A"})");
  EXPECT_EQ(changed, 0);
}

}  // namespace
}  // namespace postwink
