// Accounts that sign in with OAuth: the engine waits for the token without blocking, needs TLS
// before it connects, and passes the provider's failures on.

#include <gtest/gtest.h>

#include "core/net/oauth_sasl.h"
#include "core/oauth/oauth_texts.h"
#include "core/oauth/token_provider.h"
#include "unit/check/engine_fixture.h"
#include "unit/config/fake_system.h"
#include "unit/oauth/fake_oauth_platform.h"

namespace postwink::testing {
namespace {

class OAuthEngineTest : public ::testing::Test {
 protected:
  OAuthEngineTest() {
    settings.sokigErr = 0;
    settings.svTimeout = 60;
    server.capabilities = {"SASL XOAUTH2"};
    network.servers["pop0"] = &server;
    network.tlsFromStart.insert("pop0");
    std::vector<std::unique_ptr<Account>> accounts = MakeAccounts(1);
    Account& a = *accounts[0];
    a.security = 1;
    a.port = 995;
    a.user = "alice@example.com";
    a.password = "";
    a.oauth.provider = "custom";
    a.oauth.clientId = "id";
    a.oauth.authUrl = "https://auth/authorize";
    a.oauth.tokenUrl = "https://auth/token";
    a.oauth.scope = "mail";
    engine = std::make_unique<CheckEngine>(host, network, settings, std::move(accounts));
    engine->SetTokenProvider(&tokens);
  }
  Account& account() { return *engine->Accounts()[0]; }
  OAuthSettings oauth() { return *OAuthSettingsOf(FieldsOf(account())); }
  void Run(int64_t ms = 2000) { host.Advance(ms, *engine, network); }

  Settings settings;
  FakeServer server;
  FakeTransport network;
  FakeCheckHost host;
  FakeOAuthPlatform fake;
  FakeClock clock;
  TokenProvider tokens{fake.platform, clock};
  std::unique_ptr<CheckEngine> engine;
};

TEST_F(OAuthEngineTest, WaitsForTheRefreshThenSignsInWithTheToken) {
  fake.store.tokens[TokenStoreKey(oauth())] = "refresh";
  server.acceptedAuth =
      "AUTH XOAUTH2 " +
      OAuthInitialResponse(OAuthMechanism::kXOAuth2, "alice@example.com", "pop0", 995, "ACCESS");
  engine->CheckNow();
  Run();
  // Nothing is opened while the token endpoint has not answered, and nothing blocks.
  EXPECT_TRUE(network.opened.empty());
  ASSERT_EQ(fake.https.pending.size(), 1u);
  fake.https.Answer(200, R"({"access_token":"ACCESS","expires_in":3600})");
  Run(10000);
  EXPECT_EQ(network.opened.size(), 1u);
  EXPECT_TRUE(host.boxes.empty()) << host.boxes[0].first;
  EXPECT_EQ(engine->List().Size(), server.messages.size());
  for (const std::string& line : host.log) EXPECT_EQ(line.find("ACCESS"), std::string::npos);

  // A refused token is dropped: the next check refreshes first.
  server.acceptedAuth = "never";
  engine->CheckNow();
  Run(10000);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].first.rfind(texts::kOAuthTokenRefused, 0), 0u) << host.boxes[0].first;
  engine->CheckNow();
  Run();
  EXPECT_EQ(fake.https.pending.size(), 1u);
}

TEST_F(OAuthEngineTest, PlainTextNoSignInAndRevokedFailWithoutSendingAnything) {
  account().security = 0;
  account().port = 110;
  engine->CheckNow();
  Run();
  EXPECT_TRUE(network.opened.empty());
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].first, texts::kOAuthNeedsTls);
  EXPECT_TRUE(fake.https.posts.empty());

  account().security = 1;
  account().port = 995;
  engine->CheckNow();
  Run();
  ASSERT_EQ(host.boxes.size(), 2u);
  EXPECT_EQ(host.boxes[1].first, texts::kOAuthNotSignedIn);
  EXPECT_EQ(host.signInNeeded, std::vector<int>{0});

  fake.store.tokens[TokenStoreKey(oauth())] = "revoked";
  engine->CheckNow();
  Run();
  fake.https.Answer(400, R"({"error":"invalid_grant"})");
  Run();
  ASSERT_EQ(host.boxes.size(), 3u);
  EXPECT_EQ(host.boxes[2].first.rfind(texts::kOAuthSignInAgain, 0), 0u);
  EXPECT_EQ(host.signInNeeded.size(), 2u);
  EXPECT_TRUE(network.opened.empty());
  EXPECT_TRUE(engine->ErrorSeen());
}

TEST_F(OAuthEngineTest, AProviderThatNeverAnswersTimesOut) {
  fake.store.tokens[TokenStoreKey(oauth())] = "refresh";
  engine->CheckNow();
  Run(kTokenRequestTimeoutMs + 20000);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_TRUE(network.opened.empty());
  EXPECT_TRUE(engine->CanCheckNow());
  // The late answer changes nothing.
  fake.https.Answer(200, R"({"access_token":"late"})");
  EXPECT_TRUE(network.opened.empty());
}

}  // namespace
}  // namespace postwink::testing
