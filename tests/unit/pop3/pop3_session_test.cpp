#include "core/pop3/pop3_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/config/credentials.h"
#include "core/net/net_texts.h"
#include "core/pop3/pop3_texts.h"
#include "core/text/utf8.h"
#include "unit/pop3/fake_pop3.h"

namespace postwink {
namespace {

using testing::FakeServer;
using testing::FakeSessionHost;
using testing::MakeMessage;
using testing::RunSession;
using testing::SessionRun;
using Commands = std::vector<std::string>;

class SessionTest : public ::testing::Test {
 protected:
  SessionTest() : session(host, keeper) {
    account.mailbox = "box";
    account.user = "user";
    account.password = "secret";
    server.messages = {MakeMessage("m1"), MakeMessage("m2"), MakeMessage("m3")};
  }
  FakeSessionHost host;
  ItemKeeper keeper;
  Pop3Session session;
  Account account;
  FakeServer server;
};

TEST(IsPositiveReply, CaseOfOkAndLength) {
  const std::pair<const char*, bool> cases[] = {
      {"+OK", true}, {"+ok", true},   {"+Ok done", true}, {"+oK", true},
      {"+O", false}, {"-ERR", false}, {"OK", false},      {"", false},
  };
  for (auto [line, positive] : cases) EXPECT_EQ(IsPositiveReply(line), positive) << line;
}

TEST_F(SessionTest, FirstCheckFetchesEverythingAndFillsUniqueIds) {
  SessionRun run = RunSession(session, account, server);
  EXPECT_EQ(run.commands, (Commands{"CAPA", "USER user", "PASS secret", "STAT", "LIST 1", "RETR 1",
                                    "LIST 2", "RETR 2", "LIST 3", "RETR 3", "UIDL", "QUIT"}));
  EXPECT_TRUE(run.last.goOn);
  EXPECT_EQ(session.State(), SessionState::kQuitting);
  ASSERT_EQ(account.items.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(account.items[i]->number, i + 1);
    EXPECT_EQ(account.items[i]->isNew, 1);
    EXPECT_EQ(account.items[i]->uniqueId, "uid-m" + std::to_string(i + 1));
    EXPECT_EQ(account.items[i]->sizeText, std::to_string(server.messages[i].text.size()));
  }
  EXPECT_EQ(session.newCount, 3);
  EXPECT_EQ(account.lastNumber, 3);
  EXPECT_EQ(account.lastIdentity, "<m3@test>");
  EXPECT_EQ(keeper.Size(), 3u);
  // The message text is stored as received, dot-stuffing included.
  EXPECT_EQ(host.texts[0], server.messages[0].text);
}

TEST_F(SessionTest, LogShowsCommandsAndRepliesButNeverThePassword) {
  SessionSettings settings;
  settings.log = true;
  session.SetSettings(settings);
  RunSession(session, account, server);
  ASSERT_GE(host.log.size(), 6u);
  EXPECT_EQ(host.log[0], "[box] +OK ready <1896.697170952@dbc.mtview.ca.us>");
  EXPECT_EQ(host.log[1], "[box] CAPA\r\n");
  EXPECT_EQ(host.log[2], "[box] -ERR unknown command");
  EXPECT_EQ(host.log[3], "[box] USER user\r\n");
  EXPECT_EQ(host.log[4], "[box] +OK");
  EXPECT_EQ(host.log[5], "[box] PASS ****");
  EXPECT_EQ(host.log[7], "[box] STAT\r\n");
  for (const std::string& entry : host.log) EXPECT_EQ(entry.find("secret"), std::string::npos);
  EXPECT_EQ(host.log.back(), "[box] +OK bye");
  // Message text is not logged, status lines are.
  for (const std::string& entry : host.log) EXPECT_EQ(entry.find("body of"), std::string::npos);
}

TEST_F(SessionTest, LoginRepliesAreLoggedOnlyWithLogOn) {
  RunSession(session, account, server);
  // The reply to CAPA is interpreted, so it is logged.
  EXPECT_EQ(host.log[0], "[box] CAPA\r\n");
  EXPECT_EQ(host.log[1], "[box] -ERR unknown command");
  EXPECT_EQ(host.log[2], "[box] USER user\r\n");
  EXPECT_EQ(host.log[3], "[box] PASS ****");
  EXPECT_EQ(host.log[4], "[box] STAT\r\n");
  EXPECT_EQ(host.log[5], "[box] +OK 3 " + std::to_string(server.messages[0].text.size() * 3));
}

TEST_F(SessionTest, LaterChecksVerifyResynchroniseAndFetchOnlyWhatIsNew) {
  RunSession(session, account, server);
  MailItem* second = account.items[1];

  server.commands.clear();
  SessionRun same = RunSession(session, account, server);
  EXPECT_EQ(same.commands,
            (Commands{"CAPA", "USER user", "PASS secret", "STAT", "TOP 3 0", "QUIT"}));
  EXPECT_EQ(account.items.size(), 3u);

  // Message 1 deleted by another client, one new message arrived.
  server.messages.erase(server.messages.begin());
  server.messages.push_back(MakeMessage("m4"));
  server.commands.clear();
  SessionRun shifted = RunSession(session, account, server);
  EXPECT_EQ(shifted.commands, (Commands{"CAPA", "USER user", "PASS secret", "STAT", "TOP 3 0",
                                        "UIDL", "LIST 3", "RETR 3", "UIDL", "QUIT"}));
  ASSERT_EQ(account.items.size(), 3u);
  EXPECT_EQ(account.items[0], second);
  EXPECT_EQ(second->number, 1);
  EXPECT_EQ(account.items[2]->identity, "<m4@test>");
  EXPECT_EQ(account.items[2]->number, 3);
  // The gone item was never listed, so it was released.
  EXPECT_EQ(keeper.Size(), 3u);
  EXPECT_EQ(account.lastNumber, 3);

  // Everything deleted.
  server.messages.clear();
  server.commands.clear();
  SessionRun empty = RunSession(session, account, server);
  EXPECT_EQ(empty.commands, (Commands{"CAPA", "USER user", "PASS secret", "STAT", "UIDL", "QUIT"}));
  EXPECT_TRUE(account.items.empty());
  EXPECT_EQ(account.lastNumber, 0);
  EXPECT_FALSE(account.lastIdentity);
  EXPECT_EQ(keeper.Size(), 0u);
}

TEST_F(SessionTest, AVerificationTopThatTheServerRejectsResynchronises) {
  RunSession(session, account, server);
  server.noTop = true;
  server.messages.push_back(MakeMessage("m4"));
  server.commands.clear();
  SessionRun run = RunSession(session, account, server);
  EXPECT_TRUE(run.last.goOn);
  EXPECT_EQ(run.commands, (Commands{"CAPA", "USER user", "PASS secret", "STAT", "TOP 3 0", "UIDL",
                                    "LIST 4", "RETR 4", "UIDL", "QUIT"}));
  ASSERT_EQ(account.items.size(), 4u);
  EXPECT_EQ(account.items[2]->number, 3);
  EXPECT_EQ(account.items[3]->identity, "<m4@test>");
  EXPECT_EQ(account.lastNumber, 4);
}

// An item's own "X-UIDL:" header gives its unique id; when the server's id differs, the item is
// not found in the next listing and counts as gone.
TEST_F(SessionTest, AnOwnXUidlThatDiffersFromTheServersIsGoneAtTheNextResynchronisation) {
  server.messages[0] = MakeMessage("m1", "X-UIDL: own-id\r\n");
  RunSession(session, account, server);
  ASSERT_EQ(account.items.size(), 3u);
  EXPECT_EQ(account.items[0]->uniqueId, "own-id");
  EXPECT_EQ(account.items[1]->uniqueId, "uid-m2");
  MailItem* third = account.items[2];

  server.messages.erase(server.messages.begin() + 1);  // another client deletes message 2
  server.commands.clear();
  SessionRun run = RunSession(session, account, server);
  EXPECT_EQ(run.commands, (Commands{"CAPA", "USER user", "PASS secret", "STAT", "UIDL", "QUIT"}));
  ASSERT_EQ(account.items.size(), 1u);
  EXPECT_EQ(account.items[0], third);
  EXPECT_EQ(third->number, 2);
  EXPECT_EQ(account.lastNumber, 2);
}

TEST_F(SessionTest, GoneItemHeldElsewhereIsFlaggedNotDestroyed) {
  RunSession(session, account, server);
  std::unique_ptr<MailItem> listed = keeper.Take(account.items[0]);  // as if merged
  server.messages.erase(server.messages.begin());
  RunSession(session, account, server);
  EXPECT_EQ(listed->flags & kMailGone, kMailGone);
  EXPECT_EQ(account.items.size(), 2u);
}

TEST_F(SessionTest, ApopSendsTheDigestOfTheLastTimestampAndLogsItMasked) {
  account.apop = 1;
  server.password = "tanstaaf";
  account.password = "tanstaaf";
  server.greeting = "+OK <not.this@x> POP3 server ready <1896.697170952@dbc.mtview.ca.us>";
  SessionRun run = RunSession(session, account, server);
  ASSERT_GE(run.commands.size(), 2u);
  EXPECT_EQ(run.commands[1], "APOP user c4c9334bac560ecc979e58001b3e22fb");
  EXPECT_EQ(run.commands[2], "STAT");
  EXPECT_EQ(host.log[2], "[box] APOP ****");
}

struct FailureCase {
  const char* name;
  std::function<void(FakeServer&, Account&)> setup;
  std::string error;
  Commands commands;
};

class SessionFailures : public SessionTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(SessionFailures, EndWithTheFixedTextAndQuitUnlogged) {
  GetParam().setup(server, account);
  SessionRun run = RunSession(session, account, server);
  EXPECT_FALSE(run.last.goOn);
  EXPECT_EQ(run.last.error, GetParam().error);
  EXPECT_EQ(run.commands, GetParam().commands);
  EXPECT_EQ(session.State(), SessionState::kFailed);
  for (const std::string& entry : host.log) EXPECT_NE(entry, "[box] QUIT\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SessionFailures,
    ::testing::Values(
        FailureCase{"negative_greeting", [](FakeServer& s, Account&) { s.greeting = "-ERR busy"; },
                    std::string(texts::kBadGreeting) + "-ERR busy", Commands{"QUIT"}},
        FailureCase{"no_user", [](FakeServer&, Account& a) { a.user.reset(); }, texts::kNoUserName,
                    Commands{"QUIT"}},
        FailureCase{"no_password", [](FakeServer&, Account& a) { a.password = ""; },
                    texts::kNoPassword, Commands{"QUIT"}},
        FailureCase{"apop_without_timestamp",
                    [](FakeServer& s, Account& a) {
                      a.apop = 1;
                      s.greeting = "+OK ready";
                    },
                    texts::kNoApop, Commands{"QUIT"}},
        // A stored value that would end its command early is never sent, nor anything after.
        FailureCase{"user_with_line_break",
                    [](FakeServer&, Account& a) { a.user = "user\r\nDELE 1"; }, kCredentialRefused,
                    Commands{"QUIT"}},
        FailureCase{"password_with_line_feed",
                    [](FakeServer&, Account& a) { a.password = "secret\nDELE 1"; },
                    kCredentialRefused, Commands{"QUIT"}},
        FailureCase{"password_with_nul",
                    [](FakeServer&, Account& a) { a.password = std::string("sec\0ret", 7); },
                    kCredentialRefused, Commands{"QUIT"}},
        FailureCase{"apop_user_with_carriage_return",
                    [](FakeServer&, Account& a) {
                      a.apop = 1;
                      a.user = "user\rDELE 1";
                    },
                    kCredentialRefused, Commands{"QUIT"}},
        FailureCase{"user_rejected", [](FakeServer& s, Account&) { s.user = "other"; },
                    std::string(texts::kUserRejected) + "-ERR who?",
                    Commands{"CAPA", "USER user", "QUIT"}},
        FailureCase{"password_rejected", [](FakeServer& s, Account&) { s.password = "x"; },
                    std::string(texts::kAuthRejected) + "-ERR wrong",
                    Commands{"CAPA", "USER user", "PASS secret", "QUIT"}},
        FailureCase{"fill_uidl_rejected", [](FakeServer& s, Account&) { s.noUidl = true; }, "",
                    Commands{"CAPA", "USER user", "PASS secret", "STAT", "LIST 1", "RETR 1",
                             "LIST 2", "RETR 2", "LIST 3", "RETR 3", "UIDL", "QUIT"}},
        FailureCase{"uidl_longer_than_stat", [](FakeServer& s, Account&) { s.extraUidlLines = 1; },
                    texts::kOutOfMemory,
                    Commands{"CAPA", "USER user", "PASS secret", "STAT", "LIST 1", "RETR 1",
                             "LIST 2", "RETR 2", "LIST 3", "RETR 3", "UIDL", "QUIT"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SessionTest, ReplyAppendedToErrorIsCutAt255Characters) {
  server.greeting = "-ERR " + std::string(400, 'x');
  SessionRun run = RunSession(session, account, server);
  EXPECT_EQ(CountChars(run.last.error), 255u);
  EXPECT_TRUE(run.last.error.starts_with(texts::kBadGreeting));
}

TEST_F(SessionTest, StatAndRetrRejectedGiveTheirTexts) {
  session.SetState(SessionState::kGreeting);
  session.OnLine("+OK", account);
  session.OnLine("-ERR", account);  // CAPA
  session.OnLine("+OK", account);
  SessionReply stat = session.OnLine("+OK", account);
  EXPECT_EQ(stat.command, "STAT\r\n");
  SessionReply rejected = session.OnLine("-ERR no", account);
  EXPECT_EQ(rejected.error, std::string(texts::kStatRejected) + "-ERR no");
  EXPECT_EQ(rejected.command, "QUIT\r\n");

  session.SetState(SessionState::kStatSent);
  EXPECT_EQ(session.OnLine("+OK 2 100", account).command, "LIST 1\r\n");
  EXPECT_EQ(session.OnLine("+OK 1 50", account).command, "RETR 1\r\n");
  EXPECT_EQ(session.OnLine(".", account).command, "");  // a "." before the status is ignored
  SessionReply retr = session.OnLine("-ERR gone", account);
  EXPECT_FALSE(retr.goOn);
  EXPECT_EQ(retr.error, std::string(texts::kRetrRejected) + "-ERR gone");
}

TEST_F(SessionTest, TopModeAsksGetLineLinesAndFallsBackToRetrForTheRestOfTheSession) {
  SessionSettings settings;
  settings.listDown = 0;
  settings.getLine = 5;
  session.SetSettings(settings);
  SessionRun top = RunSession(session, account, server);
  EXPECT_EQ(top.commands, (Commands{"CAPA", "USER user", "PASS secret", "STAT", "LIST 1", "TOP 1 5",
                                    "LIST 2", "TOP 2 5", "LIST 3", "TOP 3 5", "UIDL", "QUIT"}));

  // A fresh account on a server without TOP.
  Account other = account;
  other.items.clear();
  other.lastNumber = -1;
  other.lastIdentity.reset();
  server.noTop = true;
  server.commands.clear();
  SessionRun fallback = RunSession(session, other, server);
  EXPECT_EQ(fallback.commands,
            (Commands{"CAPA", "USER user", "PASS secret", "STAT", "LIST 1", "TOP 1 5", "RETR 1",
                      "LIST 2", "RETR 2", "LIST 3", "RETR 3", "UIDL", "QUIT"}));
  EXPECT_EQ(other.items.size(), 3u);
  // The next session starts from LISTDOWN again.
  server.noTop = false;
  server.messages.push_back(MakeMessage("m4"));
  server.commands.clear();
  SessionRun next = RunSession(session, other, server);
  EXPECT_EQ(next.commands, (Commands{"CAPA", "USER user", "PASS secret", "STAT", "TOP 3 0",
                                     "LIST 4", "TOP 4 5", "UIDL", "QUIT"}));
}

TEST_F(SessionTest, NegativeListLeavesTheItemWithoutSize) {
  server.noList = true;
  SessionRun run = RunSession(session, account, server);
  EXPECT_EQ(account.items.size(), 3u);
  EXPECT_FALSE(account.items[0]->sizeText);
  EXPECT_TRUE(run.last.goOn);
}

TEST_F(SessionTest, ServerWithoutUidlFetchesEverythingAgainAfterRenumbering) {
  RunSession(session, account, server);
  server.messages.erase(server.messages.begin());
  server.noUidl = true;
  server.commands.clear();
  SessionRun run = RunSession(session, account, server);
  // STAT counts fewer messages than were known: straight to UIDL, which fails.
  EXPECT_EQ(run.commands, (Commands{"CAPA", "USER user", "PASS secret", "STAT", "UIDL", "LIST 1",
                                    "RETR 1", "LIST 2", "RETR 2", "UIDL", "QUIT"}));
  EXPECT_EQ(account.items.size(), 2u);
  EXPECT_EQ(keeper.Size(), 2u);  // the three old copies were released
}

TEST_F(SessionTest, AnnouncedSizesAreOnlyHints) {
  session.SetState(SessionState::kStatSent);
  account.lastNumber = 0;
  session.OnLine("+OK 2000000000 99999999999", account);
  EXPECT_EQ(account.messageCount, 2000000000);
  session.OnLine("+OK 1 100000000000", account);
  EXPECT_LE(session.MessageCapacity(), kMaxReserve + 64);
}

// A message over the size limit would fail every check at the same place, and nothing after it
// would ever be fetched: it is listed from what fits (its header) and the check goes on.
struct OversizeCase {
  const char* name;
  std::function<void(FakeServer&)> setup;
  Commands commands;
  const char* logged;
};

class OversizeMessages : public SessionTest, public ::testing::WithParamInterface<OversizeCase> {};

TEST_P(OversizeMessages, AreListedFromWhatFitsAndTheCheckGoesOn) {
  SessionSettings settings;
  settings.log = true;
  settings.maxMessageBytes = 400;
  session.SetSettings(settings);
  server.messages[1] = MakeMessage("big");
  server.messages[1].text += std::string(900, 'z') + "\r\n";  // within the drain limit
  GetParam().setup(server);
  SessionRun run = RunSession(session, account, server);
  EXPECT_TRUE(run.last.goOn) << run.last.error;
  EXPECT_EQ(run.commands, GetParam().commands);
  ASSERT_EQ(account.items.size(), 3u);
  const std::string& kept = host.texts[1];
  EXPECT_TRUE(kept.starts_with("From: a@example.com\r\nSubject: big\r\n")) << kept;
  EXPECT_LE(kept.size(), 400u);
  EXPECT_EQ(account.items[1]->identity, "<big@test>");
  EXPECT_EQ(account.items[2]->identity, "<m3@test>");
  EXPECT_EQ(account.lastNumber, 3);
  std::string why = std::string("[box] message 2 ") + GetParam().logged;
  EXPECT_NE(std::find_if(host.log.begin(), host.log.end(),
                         [&](const std::string& entry) { return entry.starts_with(why); }),
            host.log.end())
      << why;
}

const Commands kAfterLogin{"CAPA",   "USER user", "PASS secret", "STAT",
                           "LIST 1", "RETR 1",    "LIST 2"};
Commands Then(std::initializer_list<const char*> rest) {
  Commands commands = kAfterLogin;
  commands.insert(commands.end(), rest.begin(), rest.end());
  return commands;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OversizeMessages,
    ::testing::Values(
        OversizeCase{"announced_by_list", [](FakeServer&) {},
                     Then({"TOP 2 0", "LIST 3", "RETR 3", "UIDL", "QUIT"}), "is over the size"},
        OversizeCase{"announced_to_a_server_without_top", [](FakeServer& s) { s.noTop = true; },
                     Then({"TOP 2 0", "RETR 2", "LIST 3", "RETR 3", "UIDL", "QUIT"}),
                     "is over the size"},
        OversizeCase{"not_announced", [](FakeServer& s) { s.noList = true; },
                     Then({"RETR 2", "LIST 3", "RETR 3", "UIDL", "QUIT"}), "is over the size"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SessionTest, EndlessMessageFailsWithOutOfMemory) {
  SessionSettings settings;
  settings.maxMessageBytes = 1 << 20;
  session.SetSettings(settings);
  session.SetState(SessionState::kStatSent);
  session.OnLine("+OK 1 10", account);
  session.OnLine("+OK 1 10", account);
  session.OnLine("+OK", account);
  std::string row(998, 'y');
  SessionReply reply;
  int lines = 0;
  while (reply.goOn && lines < 10000) {
    reply = session.OnLine(row, account);
    ++lines;
  }
  EXPECT_FALSE(reply.goOn);
  EXPECT_EQ(reply.error, texts::kOutOfMemory);
  // What goes past the limit is read and dropped, up to four times the limit.
  EXPECT_GT(lines, 4000);
}

TEST_F(SessionTest, AMessageFetchedBeforeAFailedSendIsKept) {
  session.SetState(SessionState::kStatSent);
  session.OnLine("+OK 2 100", account);
  session.OnLine("+OK 1 50", account);
  session.OnLine("+OK", account);
  session.OnLine("Message-Id: <k@x>", account);
  session.OnLine("", account);
  EXPECT_EQ(session.OnLine(".", account).command, "LIST 2\r\n");
  SessionReply failed = session.OnSendFailed(account);
  EXPECT_EQ(failed.error, texts::kSendFailed);
  ASSERT_EQ(account.items.size(), 1u);
  EXPECT_EQ(account.lastNumber, 1);
  EXPECT_EQ(account.lastIdentity, "<k@x>");
}

TEST_F(SessionTest, EmptyMailboxAtFirstCheckQuitsAfterStat) {
  server.messages.clear();
  SessionRun run = RunSession(session, account, server);
  EXPECT_EQ(run.commands, (Commands{"CAPA", "USER user", "PASS secret", "STAT", "QUIT"}));
  EXPECT_EQ(account.lastNumber, 0);
}

TEST_F(SessionTest, SendFailures) {
  session.SetState(SessionState::kAuthSent);
  EXPECT_EQ(session.OnLine("+OK", account).command, "STAT\r\n");
  SessionReply stat = session.OnSendFailed(account);
  EXPECT_FALSE(stat.goOn);
  EXPECT_EQ(stat.error, texts::kSendFailed);
  EXPECT_EQ(stat.command, "");  // ends at once, without QUIT

  session.SetState(SessionState::kGreeting);
  EXPECT_EQ(session.OnLine("+OK", account).command, "CAPA\r\n");
  EXPECT_EQ(session.OnLine("-ERR", account).command, "USER user\r\n");
  SessionReply user = session.OnSendFailed(account);
  EXPECT_EQ(user.error, texts::kSendFailed);
  EXPECT_EQ(user.command, "QUIT\r\n");

  session.SetState(SessionState::kStatSent);
  account.lastNumber = -1;
  EXPECT_EQ(session.OnLine("+OK 0 0", account).command, "QUIT\r\n");
  SessionReply quit = session.OnSendFailed(account);
  EXPECT_EQ(quit.error, texts::kSendFailed);
  EXPECT_EQ(quit.command, "");
}

class StlsSessionTest : public SessionTest {
 protected:
  StlsSessionTest() {
    account.security = 2;
    server.capabilities = {"TOP", "STLS", "UIDL"};
    server.stlsAccepted = true;
  }
};

TEST_F(StlsSessionTest, LogsInOnlyOnceTheTransportReportsTheConnectionSecured) {
  for (int apop : {0, 1}) {
    account.apop = apop;
    server.commands.clear();
    account.lastNumber = -1;
    account.items.clear();
    SessionRun run = RunSession(session, account, server);
    ASSERT_EQ(run.securedAfter, 2u) << apop;
    EXPECT_EQ(run.commands[0], "CAPA");
    EXPECT_EQ(run.commands[1], "STLS");
    // Inside TLS the capabilities are asked again; what came in clear no longer counts.
    EXPECT_EQ(run.commands[2], "CAPA");
    // APOP takes its timestamp from the greeting that came before TLS.
    EXPECT_EQ(
        run.commands[3],
        apop ? "APOP user " + Md5Hex("<1896.697170952@dbc.mtview.ca.us>secret") : "USER user");
    EXPECT_EQ(run.commands.back(), "QUIT");
    EXPECT_EQ(session.State(), SessionState::kQuitting);
    EXPECT_EQ(account.items.size(), 3u);
  }
}

TEST_F(StlsSessionTest, StlsRefusedOrMissingFailsWithoutCredentials) {
  struct Case {
    std::vector<std::string> capabilities;
    bool accepted;
    std::string error;
    std::vector<std::string> commands;
  };
  const Case cases[] = {
      {{"TOP", "UIDL"}, true, texts::kStlsNotOffered, {"CAPA", "QUIT"}},
      {{"STLS"},
       false,
       std::string(texts::kStlsRefused) + "-ERR not now",
       {"CAPA", "STLS", "QUIT"}},
      // Without CAPA, STLS is tried all the same.
      {{}, false, std::string(texts::kStlsRefused) + "-ERR not now", {"STLS", "QUIT"}},
  };
  for (const Case& c : cases) {
    server.capabilities = c.capabilities;
    server.stlsAccepted = c.accepted;
    server.commands.clear();
    SessionRun run = RunSession(session, account, server);
    EXPECT_FALSE(run.last.goOn);
    EXPECT_EQ(run.last.error, c.error);
    std::vector<std::string> expected = c.commands;
    if (c.capabilities.empty()) expected.insert(expected.begin(), "CAPA");
    EXPECT_EQ(run.commands, expected);
  }
}

TEST_F(StlsSessionTest, TextInClearBetweenStlsAndTheHandshakeFails) {
  session.SetState(SessionState::kGreeting);
  session.OnLine(server.greeting, account);
  session.OnLine("-ERR no CAPA", account);
  SessionReply accepted = session.OnLine("+OK begin TLS", account);
  ASSERT_TRUE(accepted.startTls);
  EXPECT_TRUE(accepted.command.empty());
  SessionReply injected = session.OnLine("+OK", account);
  EXPECT_FALSE(injected.goOn);
  EXPECT_TRUE(injected.error.starts_with(texts::kBadGreeting));
}

TEST_F(SessionTest, ARefusalThatAsksForTlsSaysToSwitchNotThatThePasswordIsWrong) {
  const std::string kDovecot =
      "-ERR [AUTH] Plaintext authentication disallowed on non-secure (SSL/TLS) connections.";
  struct Case {
    int security;
    std::string userReply;
    std::string error;
  };
  const Case cases[] = {
      {0, kDovecot, texts::kTlsRequired + kDovecot},
      {0, "-ERR who?", texts::kUserRejected + std::string("-ERR who?")},
      // Already secured: the server's text stands as it is.
      {1, kDovecot, texts::kUserRejected + kDovecot},
  };
  for (const Case& c : cases) {
    account.security = c.security;
    server.userReply = c.userReply;
    SessionRun run = RunSession(session, account, server);
    EXPECT_EQ(run.last.error, c.error) << c.security << c.userReply;
  }
}

// What a check leaves behind, to compare lock-step with pipelining.
struct CheckOutcome {
  std::vector<std::string> items;  // number, identity, unique id, size of each item, in order
  int lastNumber = 0;
  std::string lastIdentity;
  std::string error;
  bool goOn = true;
  std::vector<std::string> log;  // sorted: pipelining changes the order, not the lines
  std::vector<std::string> commands;
  size_t mostInFlight = 0;
};

enum class Mode { kLockStep, kPipelined, kPipelinedInBatches };

CheckOutcome Check(FakeServer server, Mode mode, SessionSettings settings = {}) {
  FakeSessionHost host;
  ItemKeeper keeper;
  Pop3Session session(host, keeper);
  settings.log = true;
  settings.pipelining = mode != Mode::kLockStep;
  session.SetSettings(settings);
  Account account;
  account.mailbox = "box";
  account.user = "user";
  account.password = "secret";
  SessionRun run = RunSession(session, account, server, mode == Mode::kPipelinedInBatches);
  CheckOutcome out;
  for (const MailItem* item : account.items) {
    out.items.push_back(std::to_string(item->number) + " " + item->identity + " " +
                        item->uniqueId.value_or("-") + " " + item->sizeText.value_or("-"));
  }
  out.lastNumber = account.lastNumber;
  out.lastIdentity = account.lastIdentity.value_or("");
  out.error = run.last.error;
  out.goOn = run.last.goOn;
  out.log = host.log;
  std::sort(out.log.begin(), out.log.end());
  out.commands = run.commands;
  out.mostInFlight = run.mostInFlight;
  return out;
}

size_t IndexOf(const std::vector<std::string>& commands, const std::string& command) {
  return std::find(commands.begin(), commands.end(), command) - commands.begin();
}

class PipeliningTest : public ::testing::Test {
 protected:
  PipeliningTest() {
    server.capabilities = {"TOP", "UIDL", "PIPELINING"};
    for (int i = 1; i <= 150; ++i) server.messages.push_back(MakeMessage("p" + std::to_string(i)));
  }
  // Lock-step, pipelined and pipelined with a server that answers in batches: the same outcome.
  void ExpectSameOutcomes(SessionSettings settings = {}) {
    CheckOutcome lockStep = Check(server, Mode::kLockStep, settings);
    EXPECT_EQ(lockStep.mostInFlight, 1u);
    for (Mode mode : {Mode::kPipelined, Mode::kPipelinedInBatches}) {
      CheckOutcome piped = Check(server, mode, settings);
      SCOPED_TRACE(mode == Mode::kPipelined ? "pipelined" : "in batches");
      EXPECT_EQ(piped.items, lockStep.items);
      EXPECT_EQ(piped.lastNumber, lockStep.lastNumber);
      EXPECT_EQ(piped.lastIdentity, lockStep.lastIdentity);
      EXPECT_EQ(piped.error, lockStep.error);
      EXPECT_EQ(piped.goOn, lockStep.goOn);
      pipelined = piped;
    }
    lock = lockStep;
  }
  FakeServer server;
  CheckOutcome lock, pipelined;
};

TEST_F(PipeliningTest, ASendAheadCheckListsWhatALockStepOneLists) {
  ExpectSameOutcomes();
  ASSERT_EQ(lock.items.size(), 150u);
  // Lock-step as ever, after one CAPA.
  EXPECT_EQ(std::vector<std::string>(lock.commands.begin(), lock.commands.begin() + 8),
            (Commands{"CAPA", "USER user", "PASS secret", "STAT", "LIST 1", "RETR 1", "LIST 2",
                      "RETR 2"}));
  // Pipelined: the same commands and the same log lines, the LISTs sent ahead, in a window.
  EXPECT_EQ(pipelined.log, lock.log);
  std::vector<std::string> sortedLock = lock.commands, sortedPiped = pipelined.commands;
  std::sort(sortedLock.begin(), sortedLock.end());
  std::sort(sortedPiped.begin(), sortedPiped.end());
  EXPECT_EQ(sortedPiped, sortedLock);
  EXPECT_LT(IndexOf(pipelined.commands, "LIST 40"), IndexOf(pipelined.commands, "RETR 1"));
  EXPECT_GT(pipelined.mostInFlight, kPipelineCommands / 2);
  EXPECT_LE(pipelined.mostInFlight, kPipelineCommands);
  EXPECT_EQ(pipelined.commands.back(), "QUIT");
}

TEST_F(PipeliningTest, RefusalsInTheMiddleOfTheWindowEndAsInLockStep) {
  // A message that cannot be fetched: the check fails with its text, what came before stays.
  server.refuseRetr = 70;
  ExpectSameOutcomes();
  EXPECT_FALSE(lock.goOn);
  EXPECT_TRUE(lock.error.starts_with(texts::kRetrRejected));
  EXPECT_EQ(lock.items.size(), 69u);
  EXPECT_EQ(lock.lastNumber, 69);

  // LIST refused: the items lack their sizes only.
  server.refuseRetr = 0;
  server.noList = true;
  ExpectSameOutcomes();
  EXPECT_EQ(lock.items.size(), 150u);
  EXPECT_TRUE(lock.items[0].ends_with(" -"));
}

TEST_F(PipeliningTest, TopRefusedFallsBackToRetrForTheSameMessagesInTheSameOrder) {
  SessionSettings top;
  top.listDown = 0;
  top.getLine = 2;
  server.noTop = true;
  // A few messages: the final UIDL is already on its way when the first TOP is refused.
  FakeServer many = server;
  server.messages.resize(3);
  ExpectSameOutcomes(top);
  ASSERT_EQ(lock.items.size(), 3u);
  server = many;
  ExpectSameOutcomes(top);
  ASSERT_EQ(lock.items.size(), 150u);
  EXPECT_EQ(std::count(lock.commands.begin(), lock.commands.end(), "TOP 1 2"), 1);
  for (int n : {1, 2, 75, 150}) {
    EXPECT_EQ(std::count(pipelined.commands.begin(), pipelined.commands.end(),
                         "RETR " + std::to_string(n)),
              1)
        << n;
  }
}

TEST_F(PipeliningTest, WithoutPipeliningInCapaTheCheckIsLockStep) {
  for (std::vector<std::string> capabilities :
       {std::vector<std::string>{"TOP", "UIDL"}, std::vector<std::string>{}}) {
    server.capabilities = capabilities;
    CheckOutcome outcome = Check(server, Mode::kPipelined);
    EXPECT_EQ(outcome.mostInFlight, 1u);
    EXPECT_EQ(outcome.items.size(), 150u);
    EXPECT_EQ(outcome.commands[0], "CAPA");
    EXPECT_EQ(outcome.commands[1], "USER user");
  }
}

}  // namespace
}  // namespace postwink
