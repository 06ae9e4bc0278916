// Signing in with an OAuth access token: the SASL messages, and the POP3 and IMAP transcripts
// with the servers' error challenges.

#include "core/net/oauth_sasl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/imap/imap_session.h"
#include "core/mime/transfer_encoding.h"
#include "core/net/sasl.h"
#include "core/oauth/oauth_texts.h"
#include "core/pop3/pop3_session.h"
#include "unit/pop3/fake_pop3.h"

namespace postwink {
namespace {

TEST(OAuthSasl, MessagesOfBothMechanisms) {
  EXPECT_EQ(Base64Decode(OAuthInitialResponse(OAuthMechanism::kOAuthBearer, "a,b=c@example.com",
                                              "mail.example", 995, "tok")),
            "n,a=a=2Cb=3Dc@example.com,\x01host=mail.example\x01port=995\x01"
            "auth=Bearer tok\x01\x01");
  EXPECT_EQ(Base64Decode(OAuthInitialResponse(OAuthMechanism::kXOAuth2, "alice@example.com",
                                              "mail.example", 993, "tok")),
            "user=alice@example.com\x01"
            "auth=Bearer tok\x01\x01");
  EXPECT_EQ(ChooseOAuthMechanism(true, true), OAuthMechanism::kOAuthBearer);
  EXPECT_EQ(ChooseOAuthMechanism(false, true), OAuthMechanism::kXOAuth2);
  EXPECT_EQ(ChooseOAuthMechanism(false, false), OAuthMechanism::kNone);
}

TEST(OAuthSasl, ErrorChallengeIsAnsweredSoTheServerCanSayNo) {
  struct Case {
    OAuthMechanism mechanism;
    const char* challenge;
    const char* answer;
    const char* status;
  } cases[] = {
      // {"status":"invalid_token"}
      {OAuthMechanism::kOAuthBearer,
       " eyJzdGF0dXMiOiJpbnZhbGlkX3Rva2VuIn0=", "AQ==", "invalid_token"},
      // {"status":"401","schemes":"bearer","scope":"mail"}
      {OAuthMechanism::kXOAuth2,
       " eyJzdGF0dXMiOiI0MDEiLCJzY2hlbWVzIjoiYmVhcmVyIiwic2NvcGUiOiJtYWlsIn0=", "", "401"},
      // Not JSON at all: still answered, with no status to show.
      {OAuthMechanism::kXOAuth2, " !!!", "", "?"},
  };
  for (const Case& c : cases) {
    OAuthSaslExchange exchange;
    exchange.Start(c.mechanism, "IR", true);
    EXPECT_EQ(exchange.OnContinuation(c.challenge), c.answer);
    EXPECT_EQ(exchange.ServerStatus(), c.status);
  }
  // Two-step: the first continuation takes the initial response.
  OAuthSaslExchange twoStep;
  twoStep.Start(OAuthMechanism::kXOAuth2, "IR", false);
  EXPECT_EQ(twoStep.OnContinuation(""), "IR");
  EXPECT_STREQ(twoStep.LastLogText(), "****");
  EXPECT_EQ(twoStep.OnContinuation(" e30="), "");
}

constexpr char kChallenge[] = "+ eyJzdGF0dXMiOiJpbnZhbGlkX3Rva2VuIn0=";

struct Exchange {
  std::vector<std::string> server;  // one line each
  std::string client;               // all that is sent in answer
};

class OAuthSessionTest : public ::testing::Test {
 protected:
  OAuthSessionTest() {
    account.mailbox = "box";
    account.server = "mail.example";
    account.port = 995;
    account.user = "alice@example.com";
    account.security = 1;
    account.oauth.tokenCommand = "get-token";
    account.accessToken = "tok";
  }
  std::string Ir(OAuthMechanism m) {
    return OAuthInitialResponse(m, "alice@example.com", "mail.example", account.port,
                                account.accessToken);
  }
  // Feeds the lines and checks each step's commands; returns the last reply.
  template <typename Session>
  SessionReply Converse(Session& session, const std::vector<Exchange>& steps) {
    SessionReply last;
    for (const Exchange& step : steps) {
      std::string sent;
      for (const std::string& line : step.server) {
        last = session.OnLine(line, account);
        sent += last.command;
        if (!last.goOn) break;
      }
      EXPECT_EQ(sent, step.client) << "after " << step.server.back();
      if (!last.goOn) break;
    }
    return last;
  }
  void ExpectNoTokenLogged() {
    for (const std::string& line : host.log) {
      EXPECT_EQ(line.find(account.accessToken), std::string::npos) << line;
      EXPECT_EQ(line.find(Ir(OAuthMechanism::kOAuthBearer)), std::string::npos) << line;
      EXPECT_EQ(line.find(Ir(OAuthMechanism::kXOAuth2)), std::string::npos) << line;
    }
  }

  Account account;
  testing::FakeSessionHost host;
  ItemKeeper keeper;
};

TEST_F(OAuthSessionTest, Pop3SignsInWithTheOfferedMechanism) {
  const std::string bearer = Ir(OAuthMechanism::kOAuthBearer);
  const std::string xoauth2 = Ir(OAuthMechanism::kXOAuth2);
  struct Case {
    const char* sasl;  // the CAPA line, or null for a server without CAPA
    std::string auth;
  } cases[] = {
      {"SASL PLAIN XOAUTH2 OAUTHBEARER", "AUTH OAUTHBEARER " + bearer + "\r\n"},
      {"SASL xoauth2", "AUTH XOAUTH2 " + xoauth2 + "\r\n"},
      {nullptr, "AUTH XOAUTH2 " + xoauth2 + "\r\n"},
  };
  for (const Case& c : cases) {
    Pop3Session session(host, keeper);
    session.Begin(account);
    std::vector<std::string> capa = {"+OK", c.sasl ? c.sasl : "TOP", "."};
    if (!c.sasl) capa = {"-ERR unknown command"};
    SessionReply last = Converse(
        session, {{{"+OK ready"}, "CAPA\r\n"}, {capa, c.auth}, {{"+OK Logged in."}, "STAT\r\n"}});
    EXPECT_TRUE(last.goOn);
  }
  ExpectNoTokenLogged();
}

TEST_F(OAuthSessionTest, Pop3LongTokenGoesInTheSecondStepAndARefusalIsAnswered) {
  account.accessToken = std::string(1500, 'T');
  Pop3Session session(host, keeper);
  session.Begin(account);
  SessionReply last = Converse(session, {{{"+OK ready"}, "CAPA\r\n"},
                                         {{"+OK", "SASL OAUTHBEARER", "."}, "AUTH OAUTHBEARER\r\n"},
                                         {{"+ "}, Ir(OAuthMechanism::kOAuthBearer) + "\r\n"},
                                         {{kChallenge}, "AQ==\r\n"},
                                         {{"-ERR [AUTH] Authentication failed."}, "QUIT\r\n"}});
  EXPECT_FALSE(last.goOn);
  EXPECT_TRUE(last.tokenRefused);
  EXPECT_EQ(last.error, std::string(texts::kOAuthTokenRefused) +
                            "(invalid_token)\n-ERR [AUTH] Authentication failed.");
  ExpectNoTokenLogged();
}

TEST_F(OAuthSessionTest, Pop3RefusesBeforeAuthWithoutTlsTokenOrMechanism) {
  struct Case {
    int security;
    std::string token;
    const char* sasl;
    const char* error;
  } cases[] = {
      {0, "tok", "SASL XOAUTH2", texts::kOAuthNeedsTls},
      {1, "", "SASL XOAUTH2", texts::kOAuthUnsendableToken},
      {1, "to\r\nDELE 1", "SASL XOAUTH2", texts::kOAuthUnsendableToken},
      {1, "tok", "SASL PLAIN", texts::kOAuthNotOffered},
  };
  for (const Case& c : cases) {
    account.security = c.security;
    account.accessToken = c.token;
    Pop3Session session(host, keeper);
    session.Begin(account);
    std::string sent;
    SessionReply last;
    for (const char* line : {"+OK ready", "+OK", c.sasl, "."}) {
      last = session.OnLine(line, account);
      sent += last.command;
      if (!last.goOn) break;
    }
    EXPECT_FALSE(last.goOn) << c.error;
    EXPECT_EQ(last.error, c.error);
    EXPECT_EQ(sent.find("AUTH"), std::string::npos) << sent;
    EXPECT_EQ(sent.find("PASS"), std::string::npos) << sent;
  }
}

TEST_F(OAuthSessionTest, ImapWithAndWithoutSaslIrAndTheErrorChallenge) {
  account.port = 993;
  const std::string bearer = Ir(OAuthMechanism::kOAuthBearer);
  const std::string xoauth2 = Ir(OAuthMechanism::kXOAuth2);
  {
    ImapSession session(host, keeper);
    session.Begin(account);
    SessionReply last = Converse(
        session, {{{"* OK [CAPABILITY IMAP4rev1 SASL-IR AUTH=XOAUTH2 AUTH=OAUTHBEARER] ready"},
                   "a1 AUTHENTICATE OAUTHBEARER " + bearer + "\r\n"},
                  {{kChallenge}, "AQ==\r\n"},
                  {{"a1 NO [AUTHENTICATIONFAILED] Authentication failed."}, "a2 LOGOUT\r\n"}});
    EXPECT_TRUE(last.tokenRefused);
    EXPECT_EQ(last.error.rfind(std::string(texts::kOAuthTokenRefused) + "(invalid_token)\n", 0), 0u)
        << last.error;
  }
  {
    ImapSession session(host, keeper);
    session.Begin(account);
    SessionReply last = Converse(
        session,
        {{{"* OK [CAPABILITY IMAP4rev1 AUTH=XOAUTH2] ready"}, "a1 AUTHENTICATE XOAUTH2\r\n"},
         {{"+ "}, xoauth2 + "\r\n"},
         {{"a1 OK [CAPABILITY IMAP4rev1] Logged in"}, "a2 EXAMINE \"INBOX\"\r\n"}});
    EXPECT_TRUE(last.goOn);
  }
  {
    ImapSession session(host, keeper);
    session.Begin(account);
    SessionReply last =
        Converse(session, {{{"* OK [CAPABILITY IMAP4rev1 AUTH=PLAIN] ready"}, "a1 LOGOUT\r\n"}});
    EXPECT_EQ(last.error, texts::kOAuthNotOffered);
  }
  account.security = 0;
  {
    ImapSession session(host, keeper);
    session.Begin(account);
    SessionReply last =
        Converse(session, {{{"* OK [CAPABILITY IMAP4rev1 AUTH=XOAUTH2] ready"}, "a1 LOGOUT\r\n"}});
    EXPECT_EQ(last.error, texts::kOAuthNeedsTls);
  }
  ExpectNoTokenLogged();
}

}  // namespace
}  // namespace postwink
