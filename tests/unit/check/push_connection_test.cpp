#include "core/check/push_connection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/check/access_token.h"
#include "core/check/check_texts.h"
#include "core/net/oauth_sasl.h"
#include "core/oauth/oauth_texts.h"
#include "unit/check/fake_check_host.h"
#include "unit/check/script_transport.h"
#include "unit/config/fake_system.h"
#include "unit/oauth/fake_oauth_platform.h"

namespace postwink {
namespace {

class Listener : public PushListener {
 public:
  int items = 0;
  std::vector<std::string> failures;
  int unavailable = 0;
  int idlings = 0;
  int signInNeeded = 0;
  void OnPushItems(Account&) override { ++items; }
  void OnPushFailed(Account&, const std::string& error) override { failures.push_back(error); }
  void OnPushUnavailable(Account&) override { ++unavailable; }
  void OnPushIdling(Account&) override { ++idlings; }
  void OnPushSignInNeeded(Account&) override { ++signInNeeded; }
};

constexpr int64_t kDeadline = 5000;

class PushConnectionTest : public ::testing::Test {
 protected:
  PushConnectionTest() {
    account.mailbox = "push";
    account.server = "imap.example";
    account.user = "u";
    account.password = "p";
    account.protocol = kProtocolImap;
    Make(nullptr);
  }
  void Make(TokenProvider* tokens) {
    auto owned = std::make_unique<testing::ScriptTransport>();
    transport = owned.get();
    push = std::make_unique<PushConnection>(host, keeper, std::move(owned), account,
                                            ImapSessionSettings{}, kDeadline, listener, tokens);
  }
  // The server's lines arrive as one read.
  void Read(std::vector<std::string> lines) {
    for (std::string& line : lines) transport->lines.push_back(std::move(line));
    push->OnSocketEvent(transport->opens, SocketEvent::kRead, 0);
  }
  // Connects at host.now and reads up to the IDLE's continuation.
  void ConnectAndIdle() {
    push->Tick(host.now);
    push->OnSocketEvent(transport->opens, SocketEvent::kConnect, 0);
    Read({"* OK [CAPABILITY " + capabilities + "] hi"});
    Read({"a1 OK [CAPABILITY IMAP4rev1 IDLE] in"});
    Read({"* OK [UIDVALIDITY 1] v", "* OK [UIDNEXT 3] n", "a2 OK"});
    Read({"* SEARCH 2", "a3 OK"});
    Read({"* 1 FETCH (UID 2 FLAGS () BODY[HEADER] {14}", "Subject: a", "", ")", "a4 OK"});
    Read({"+ idling"});
  }

  std::string capabilities = "IMAP4rev1 IDLE";  // the greeting's
  testing::FakeCheckHost host;
  ItemKeeper keeper;
  Account account;
  Listener listener;
  testing::ScriptTransport* transport = nullptr;
  std::unique_ptr<PushConnection> push;
};

TEST_F(PushConnectionTest, IdlesRenewsAndReconnectsAfterADeadLink) {
  ConnectAndIdle();
  ASSERT_TRUE(push->Idling());
  EXPECT_EQ(listener.items, 1);
  EXPECT_EQ(transport->sent.back(), "a5 IDLE\r\n");

  // Idling is silence, however long, until the renewal.
  host.now += kIdleRenewMs - 1;
  push->Tick(host.now);
  EXPECT_EQ(transport->sent.back(), "a5 IDLE\r\n");
  host.now += 1;
  push->Tick(host.now);
  EXPECT_EQ(transport->sent.back(), "DONE\r\n");

  // The link died: DONE is never answered, and the deadline ends the connection.
  host.now += kDeadline;
  push->Tick(host.now);
  EXPECT_TRUE(listener.failures.empty());
  host.now += 1;
  push->Tick(host.now);
  ASSERT_EQ(listener.failures, std::vector<std::string>{texts::kTimedOut});
  EXPECT_EQ(transport->closes, 1);
  EXPECT_FALSE(push->Connected());

  // Tried again after the back-off, which doubles while the attempts fail...
  push->Tick(host.now + kFirstBackoffMs - 1);
  EXPECT_EQ(transport->opens, 1);
  host.now += kFirstBackoffMs;
  push->Tick(host.now);
  EXPECT_EQ(transport->opens, 2);
  push->OnSocketEvent(transport->opens, SocketEvent::kClose, 0);
  EXPECT_EQ(listener.failures.size(), 2u);
  EXPECT_EQ(push->NextAttemptMs(), host.now + 2 * kFirstBackoffMs);

  // ...and starts over once the account idles again; what it had announced is not fetched again.
  host.now = push->NextAttemptMs();
  transport->sent.clear();
  push->Tick(host.now);
  push->OnSocketEvent(transport->opens, SocketEvent::kConnect, 0);
  Read({"* OK [CAPABILITY IMAP4rev1 IDLE] hi"});
  Read({"a1 OK [CAPABILITY IMAP4rev1 IDLE] in"});
  Read({"* OK [UIDVALIDITY 1] v", "* OK [UIDNEXT 3] n", "a2 OK"});
  EXPECT_EQ(transport->sent.back(), "a3 UID SEARCH UID 3:* UNSEEN\r\n");
  Read({"* SEARCH 2", "a3 OK"});
  EXPECT_EQ(transport->sent.back(), "a4 IDLE\r\n");
  Read({"+ idling"});
  EXPECT_TRUE(push->Idling());
  EXPECT_EQ(listener.items, 1);
  EXPECT_EQ(listener.idlings, 2);
  push->OnSocketEvent(transport->opens, SocketEvent::kClose, 0);
  EXPECT_EQ(push->NextAttemptMs(), host.now + kFirstBackoffMs);
}

TEST_F(PushConnectionTest, ServerWithoutIdleIsHandedBackForPolling) {
  push->Tick(host.now);
  push->OnSocketEvent(transport->opens, SocketEvent::kConnect, 0);
  Read({"* OK [CAPABILITY IMAP4rev1] hi"});
  Read({"a1 OK [CAPABILITY IMAP4rev1] in"});
  Read({"* OK [UIDVALIDITY 1] v", "a2 OK"});
  Read({"* SEARCH", "a3 OK"});
  EXPECT_EQ(transport->sent.back(), "a4 LOGOUT\r\n");
  Read({"* BYE", "a4 OK"});
  push->OnSocketEvent(transport->opens, SocketEvent::kClose, 0);
  EXPECT_EQ(listener.unavailable, 1);
  EXPECT_TRUE(listener.failures.empty());
}

// An IMAP account that signs in with OAuth, its token from a command.
class OAuthPushTest : public PushConnectionTest {
 protected:
  OAuthPushTest() {
    account.user = "alice@example.com";
    account.password = "";
    account.security = 1;
    account.port = 993;
    account.oauth.tokenCommand = "print-token";
    capabilities = "IMAP4rev1 SASL-IR AUTH=XOAUTH2 IDLE";
    Make(&tokens);
  }
  static std::string Authenticate(const std::string& token) {
    return "a1 AUTHENTICATE XOAUTH2 " +
           OAuthInitialResponse(OAuthMechanism::kXOAuth2, "alice@example.com", "imap.example", 993,
                                token) +
           "\r\n";
  }
  // The refresh-token sign-in of the custom provider instead of the command.
  void UseRefreshToken(const std::string& refreshToken) {
    account.oauth = {};
    account.oauth.provider = "custom";
    account.oauth.clientId = "id";
    account.oauth.authUrl = "https://auth/authorize";
    account.oauth.tokenUrl = "https://auth/token";
    account.oauth.scope = "mail";
    storeKey = TokenStoreKey(*OAuthSettingsOf(FieldsOf(account)));
    fake.store.tokens[storeKey] = refreshToken;
  }
  // Ticks once a second for that long.
  void TickFor(int64_t ms) {
    for (int64_t end = host.now + ms; host.now < end;) push->Tick(host.now += 1000);
  }

  testing::FakeOAuthPlatform fake;
  testing::FakeClock clock;
  TokenProvider tokens{fake.platform, clock};
  std::string storeKey;
};

// Before every connect the token is taken from the provider without waiting for it; what the
// provider or the server makes of it decides whether the connection signs in.
TEST_F(OAuthPushTest, TakesTheTokenBeforeConnectingAndNeverWaitsForIt) {
  const CommandOutput token{true, "TOKEN", {}};
  const CommandOutput broken{false, {}, "exit status 1"};
  struct Case {
    const char* name;
    CommandOutput output;
    bool pending;  // the command answers only after a few ticks
    std::vector<std::string> afterAuthenticate;
    std::string sent = {};     // the last command sent, when the connection opened
    std::string failure = {};  // the start of the failure; empty: signed in
  } cases[] = {
      {"ready", token, false, {"a1 OK [CAPABILITY IMAP4rev1 IDLE] in"}, "a2 EXAMINE \"INBOX\"\r\n"},
      {"pending then ready",
       token,
       true,
       {"a1 OK [CAPABILITY IMAP4rev1 IDLE] in"},
       "a2 EXAMINE \"INBOX\"\r\n"},
      {"failed", broken, false, {}, {}, std::string(texts::kOAuthCommandFailed) + "exit status 1"},
      {"refused",
       token,
       false,
       {"+ eyJzdGF0dXMiOiI0MDEiLCJzY2hlbWVzIjoiYmVhcmVyIiwic2NvcGUiOiJtYWlsIn0=",
        "a1 NO [AUTHENTICATIONFAILED] Authentication failed."},
       "a2 LOGOUT\r\n",
       std::string(texts::kOAuthTokenRefused) + "(401)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The command's token of the case before has run out.
    clock.monotonicMs += 3600 * 1000;
    fake.commands.commands.clear();
    fake.commands.pending.clear();
    fake.commands.immediate.reset();
    if (!c.pending) fake.commands.immediate = c.output;
    listener.failures.clear();
    Make(&tokens);

    push->Tick(host.now);
    if (c.pending) {
      // Nothing opens, and the command is not run again, however often the owner ticks.
      push->Tick(host.now += 100);
      push->Tick(host.now += 100);
      EXPECT_EQ(transport->opens, 0);
      ASSERT_EQ(fake.commands.pending.size(), 1u);
      fake.commands.pending.front()(c.output);
      fake.commands.pending.clear();
      push->Tick(host.now += 100);
    }
    EXPECT_EQ(fake.commands.commands, std::vector<std::string>{"print-token"});
    if (!c.sent.empty()) {
      ASSERT_EQ(transport->opens, 1);
      push->OnSocketEvent(1, SocketEvent::kConnect, 0);
      Read({"* OK [CAPABILITY " + capabilities + "] hi"});
      EXPECT_EQ(transport->sent.back(), Authenticate("TOKEN"));
      for (const std::string& line : c.afterAuthenticate) Read({line});
      EXPECT_EQ(transport->sent.back(), c.sent);
    } else {
      EXPECT_EQ(transport->opens, 0);
    }
    if (c.failure.empty()) {
      EXPECT_TRUE(listener.failures.empty());
      continue;
    }
    ASSERT_EQ(listener.failures.size(), 1u);
    EXPECT_EQ(listener.failures[0].rfind(c.failure, 0), 0u) << listener.failures[0];
    EXPECT_EQ(listener.signInNeeded, 0);
    // Tried again after the back-off, with a token asked for afresh.
    fake.commands.immediate = token;
    push->Tick(host.now = push->NextAttemptMs());
    EXPECT_EQ(fake.commands.commands.size(), 2u);
    EXPECT_EQ(transport->opens, c.sent.empty() ? 1 : 2);
  }
}

TEST_F(OAuthPushTest, ATokenThatRunsOutWhileIdlingIsReplacedOnlyWhenItReconnects) {
  fake.commands.immediate = CommandOutput{true, "FIRST", {}};
  ConnectAndIdle();
  ASSERT_TRUE(push->Idling());
  EXPECT_EQ(transport->sent[0], Authenticate("FIRST"));

  clock.monotonicMs += 3600 * 1000;
  fake.commands.immediate = CommandOutput{true, "SECOND", {}};
  push->Tick(host.now += 1000);
  EXPECT_TRUE(push->Idling());
  EXPECT_EQ(fake.commands.commands.size(), 1u);

  push->OnSocketEvent(1, SocketEvent::kClose, 0);
  transport->sent.clear();
  push->Tick(host.now = push->NextAttemptMs());
  push->OnSocketEvent(2, SocketEvent::kConnect, 0);
  Read({"* OK [CAPABILITY " + capabilities + "] hi"});
  EXPECT_EQ(fake.commands.commands.size(), 2u);
  EXPECT_EQ(transport->sent.back(), Authenticate("SECOND"));
}

// A lost sign-in fails once, asks for a new one and is not retried until it is made.
TEST_F(OAuthPushTest, ARevokedSignInStopsTheRetriesUntilANewOneIsStored) {
  UseRefreshToken("revoked");
  push->Tick(host.now);
  ASSERT_EQ(fake.https.pending.size(), 1u);
  fake.https.Answer(400, R"({"error":"invalid_grant"})");
  TickFor(kSignInCheckMs);
  ASSERT_EQ(listener.failures.size(), 1u);
  EXPECT_EQ(listener.failures[0].rfind(texts::kOAuthSignInAgain, 0), 0u) << listener.failures[0];
  EXPECT_EQ(listener.signInNeeded, 1);

  TickFor(3600 * 1000);
  push->Wake(host.now);
  EXPECT_EQ(listener.failures.size(), 1u);
  EXPECT_EQ(fake.https.posts.size(), 1u);
  EXPECT_EQ(transport->opens, 0);

  // Signed in again (here, or by another process that shares the store).
  fake.store.tokens[storeKey] = "fresh";
  TickFor(kSignInCheckMs);
  ASSERT_EQ(fake.https.pending.size(), 1u);
  fake.https.Answer(200, R"({"access_token":"NEW","expires_in":3600})");
  push->Tick(host.now += 1000);
  ASSERT_EQ(transport->opens, 1);
  push->OnSocketEvent(1, SocketEvent::kConnect, 0);
  Read({"* OK [CAPABILITY " + capabilities + "] hi"});
  EXPECT_EQ(transport->sent.back(), Authenticate("NEW"));
}

TEST_F(OAuthPushTest, InClearItNeverAsksForATokenNorConnects) {
  account.security = 0;
  account.port = 143;
  TickFor(3600 * 1000);
  EXPECT_EQ(listener.failures, std::vector<std::string>{texts::kOAuthNeedsTls});
  EXPECT_TRUE(fake.commands.commands.empty());
  EXPECT_EQ(transport->opens, 0);
}

TEST_F(OAuthPushTest, AProviderThatNeverAnswersEndsInATimeOut) {
  push->Tick(host.now);
  TickFor(kTokenWaitMs);
  EXPECT_TRUE(listener.failures.empty());
  push->Tick(host.now += 1000);
  EXPECT_EQ(listener.failures, std::vector<std::string>{texts::kTimedOut});
  EXPECT_EQ(transport->opens, 0);
}

}  // namespace
}  // namespace postwink
