// Checks against the scripted fault-injecting server (started by scripts/with-servers.sh).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <tuple>
#include <vector>

#include "core/check/check_texts.h"
#include "core/config/credentials.h"
#include "core/pop3/pop3_texts.h"
#include "integration/harness.h"

namespace postwink::integration {
namespace {

using Commands = std::vector<std::string>;

// Every case runs twice: against a server without CAPA (lock-step, as ever) and against one
// that lists PIPELINING (commands sent ahead); the outcomes must be the same.
class FaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT("POSTWINK_FAULT_PORT");
    port = std::atoi(Env("POSTWINK_FAULT_PORT")->c_str());
  }
  void Scenario(std::string json) {
    if (pipelined)
      json = json == "{}" ? R"({"capa": ["PIPELINING"]})"
                          : R"({"capa": ["PIPELINING"], )" + json.substr(1);
    ASSERT_EQ(FaultControl(json), "OK") << json;
  }
  // The commands as lock-step sends them; pipelined, the same commands, some sent ahead.
  void ExpectCommands(Commands actual, Commands lockStep) {
    lockStep.insert(lockStep.begin(), "CAPA");
    if (pipelined) {
      std::sort(actual.begin(), actual.end());
      std::sort(lockStep.begin(), lockStep.end());
    }
    EXPECT_EQ(actual, lockStep);
  }
  // The commands the server received in the last session; never a DELE.
  std::string Transcript() {
    std::string t = FaultControl("TRANSCRIPT");
    EXPECT_EQ(t.find("DELE"), std::string::npos) << t;
    return t;
  }
  Outcome RunOnce(const std::string& scenario, Settings settings = Checker::DefaultSettings()) {
    Scenario(scenario);
    Checker checker(settings);
    checker.AddAccount("fault", port, "fuser", "fpass");
    checker.CheckNow();
    items = checker.Engine().List().Size();
    return checker.OutcomeOf(0);
  }

  int port = 0;
  size_t items = 0;
  bool pipelined = false;
};

class FaultModes : public FaultTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    pipelined = GetParam();
    FaultTest::SetUp();
  }
};

INSTANTIATE_TEST_SUITE_P(Modes, FaultModes, ::testing::Bool(), [](const auto& info) {
  return std::string(info.param ? "pipelined" : "lock_step");
});

struct FailCase {
  const char* name;
  const char* scenario;
  std::string error;
};

class FaultFailures : public FaultTest,
                      public ::testing::WithParamInterface<std::tuple<FailCase, bool>> {
 protected:
  void SetUp() override {
    pipelined = std::get<1>(GetParam());
    FaultTest::SetUp();
  }
};

TEST_P(FaultFailures, FailTheAccountWithItsText) {
  const FailCase& c = std::get<0>(GetParam());
  Outcome outcome = RunOnce(c.scenario);
  EXPECT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.error, c.error);
  Transcript();
}

const std::string kDisconnected = texts::kDisconnected;

INSTANTIATE_TEST_SUITE_P(
    Cases, FaultFailures,
    ::testing::Combine(
        ::testing::Values(
            FailCase{"negative_greeting", R"({"greeting": "-ERR go away"})",
                     std::string(texts::kBadGreeting) + "-ERR go away"},
            FailCase{"uidl_longer_than_stat", R"({"uidl_extra": 2})", texts::kOutOfMemory},
            FailCase{"endless_line", R"({"endless_line": true})", texts::kOutOfMemory},
            FailCase{"endless_capa", R"({"endless_capa": true})", texts::kOutOfMemory},
            // Message 3 is being fetched, or, sent ahead, skipped, when its text never ends.
            FailCase{"endless_text",
                     R"({"list_sizes": [100, 1000000000, 100], "no_top": [2],)"
                     R"( "endless_text": [3]})",
                     texts::kOutOfMemory},
            FailCase{"absurd_stat_count", R"({"stat_count": 2000000000})",
                     std::string(texts::kRetrRejected) + "-ERR not available"},
            FailCase{"drop_before_greeting", R"({"drop_at": "CONNECT"})", kDisconnected},
            FailCase{"drop_at_user", R"({"drop_at": "USER"})", kDisconnected},
            FailCase{"drop_at_pass", R"({"drop_at": "PASS"})", kDisconnected},
            FailCase{"drop_at_stat", R"({"drop_at": "STAT"})", kDisconnected},
            FailCase{"drop_at_list", R"({"drop_at": "LIST"})", kDisconnected},
            FailCase{"drop_at_retr", R"({"drop_at": "RETR"})", kDisconnected},
            FailCase{"drop_inside_message", R"({"drop_at": "RETR_BODY"})", kDisconnected},
            FailCase{"drop_at_uidl", R"({"drop_at": "UIDL"})", kDisconnected}),
        ::testing::Bool()),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) +
             (std::get<1>(info.param) ? "_pipelined" : "_lock_step");
    });

TEST_P(FaultModes, ApopGreetingWithoutTimestamp) {
  Scenario(R"({"greeting": "+OK no stamp here"})");
  Checker checker;
  checker.AddAccount("fault", port, "fuser", "fpass", true);
  checker.CheckNow();
  EXPECT_TRUE(checker.OutcomeOf(0).failed);
  EXPECT_EQ(checker.OutcomeOf(0).error, texts::kNoApop);
}

TEST_P(FaultModes, ApopAgainstTheScriptedServer) {
  Scenario("{}");
  Checker checker;
  checker.AddAccount("fault", port, "fuser", "fpass", true);
  checker.CheckNow();
  EXPECT_FALSE(checker.OutcomeOf(0).failed) << checker.OutcomeOf(0).error;
  EXPECT_EQ(checker.Engine().List().Size(), 3u);
}

TEST_P(FaultModes, CredentialsWithLineBreaksNeverReachTheServer) {
  for (const auto& [user, password] :
       {std::pair<std::string, std::string>{"fuser", "fpass\r\nDELE 1"},
        {"fuser\nDELE 2", "fpass"}}) {
    Scenario("{}");
    Checker checker;
    checker.AddAccount("fault", port, user, password);
    checker.CheckNow();
    EXPECT_TRUE(checker.OutcomeOf(0).failed);
    EXPECT_EQ(checker.OutcomeOf(0).error, kCredentialRefused);
    EXPECT_EQ(Transcript(), R"(["QUIT"])");
  }
}

// The server gives every mailbox the same unique ids ("uid-1", ...), as Dovecot does for two
// mailboxes first opened in the same second: each account's messages are its own.
TEST_P(FaultModes, TwoMailboxesWithTheSameUniqueIdsAreBothListed) {
  Scenario("{}");
  Checker checker;
  checker.AddAccount("first", port, "fuser", "fpass");
  checker.AddAccount("second", port, "fuser", "fpass");
  checker.CheckNow();
  for (int i = 0; i < 2; ++i) EXPECT_FALSE(checker.OutcomeOf(i).failed) << i;
  ASSERT_EQ(checker.Engine().List().Size(), 6u);
  for (int i = 0; i < 2; ++i) {
    const Account& account = checker.AccountAt(i);
    ASSERT_EQ(account.items.size(), 3u);
    for (const MailItem* item : account.items) {
      EXPECT_EQ(item->uniqueId, "uid-" + std::to_string(item->number));
    }
  }
}

TEST_P(FaultModes, SilenceTimesOut) {
  Settings settings = Checker::DefaultSettings();
  settings.svTimeout = 1;
  Outcome outcome = RunOnce(R"({"silent_at": "STAT"})", settings);
  EXPECT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.error, texts::kTimedOut);
}

// A server that answers QUIT but never closes the connection, or goes on talking after it: the
// check ended well with the reply, and nobody waits for the server.
TEST_P(FaultModes, TheReplyToQuitEndsTheCheck) {
  for (const char* scenario : {R"({"quit_keeps_open": true})", R"({"quit_chatter": true})"}) {
    auto start = std::chrono::steady_clock::now();
    Outcome outcome = RunOnce(scenario);
    EXPECT_FALSE(outcome.failed) << scenario << outcome.error;
    EXPECT_EQ(items, 3u) << scenario;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << scenario;
    EXPECT_NE(Transcript().find("\"QUIT\""), std::string::npos);
  }
}

TEST_P(FaultModes, FillUidlRejectedEndsQuietlyAndKeepsTheItems) {
  Outcome outcome = RunOnce(R"({"no_uidl": true})");
  EXPECT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.error, "");
  EXPECT_EQ(items, 3u);  // the items stay as fetched, without unique ids
}

TEST_P(FaultModes, CloseWithoutAnsweringQuitIsTheNormalEnd) {
  Outcome outcome = RunOnce(R"({"drop_at": "QUIT"})");
  EXPECT_FALSE(outcome.failed) << outcome.error;
  EXPECT_EQ(items, 3u);
}

TEST_P(FaultModes, ServerWithoutUidlAtResynchronisationFetchesEverythingAgain) {
  Scenario("{}");
  Checker checker;
  checker.AddAccount("fault", port, "fuser", "fpass");
  checker.CheckNow();
  ASSERT_FALSE(checker.OutcomeOf(0).failed);
  // Message 1 disappears and the server forgets UIDL.
  Scenario(R"({"no_uidl": true, "messages": [)"
           R"("From: b@x\r\nSubject: two\r\nMessage-Id: <m2@fault.test>\r\n\r\nb\r\n",)"
           R"("From: c@x\r\nSubject: three\r\nMessage-Id: <m3@fault.test>\r\n\r\nc\r\n"]})");
  checker.CheckNow();
  ExpectCommands(checker.Commands("fault"),
                 Commands{"USER fuser", "PASS ****", "STAT", "UIDL", "LIST 1", "RETR 1", "LIST 2",
                          "RETR 2", "UIDL"});
  EXPECT_EQ(checker.AccountAt(0).items.size(), 2u);
  // The copies fetched again are the same messages: the list does not grow.
  EXPECT_EQ(checker.Engine().List().Size(), 3u);
}

// A check cut off at the UIDL after its fetches leaves items without unique ids; a message
// deleted elsewhere before the next check must not make the others vanish from the list.
TEST_P(FaultModes, ACheckCutBeforeItsUidlLosesNoMessageLater) {
  for (int serverSyn : {0, 1}) {
    SCOPED_TRACE(::testing::Message() << "SERVER_SYN=" << serverSyn);
    Settings settings = Checker::DefaultSettings();
    settings.serverSyn = serverSyn;
    Checker checker(settings);
    checker.AddAccount("fault", port, "fuser", "fpass");
    Scenario(R"({"drop_at": "UIDL"})");
    checker.CheckNow();
    ASSERT_TRUE(checker.OutcomeOf(0).failed);
    Scenario(R"({"deleted": [1]})");
    checker.CheckNow();
    EXPECT_FALSE(checker.OutcomeOf(0).failed) << checker.OutcomeOf(0).error;
    std::vector<std::string> listed;
    for (const auto& item : checker.Engine().List().Items()) {
      if ((item->flags & kMailGone) == 0) listed.push_back(item->subject.value_or(""));
    }
    EXPECT_EQ(listed, (std::vector<std::string>{"message 2", "message 3"}));
    EXPECT_EQ(checker.Engine().List().Size(), serverSyn ? 2u : 3u);
  }
}

TEST_P(FaultModes, TopRejectedFallsBackToRetrForTheRestOfTheSession) {
  Settings settings = Checker::DefaultSettings();
  settings.listDown = 0;
  settings.getLine = 3;
  Scenario(R"({"no_top": true})");
  Checker checker(settings);
  checker.AddAccount("fault", port, "fuser", "fpass");
  checker.CheckNow();
  EXPECT_FALSE(checker.OutcomeOf(0).failed) << checker.OutcomeOf(0).error;
  ASSERT_EQ(checker.Engine().List().Size(), 3u);
  EXPECT_EQ(checker.Engine().List().At(2)->subject, "message 3");
  Commands commands = checker.Commands("fault");
  if (!pipelined) {
    ExpectCommands(commands,
                   Commands{"USER fuser", "PASS ****", "STAT", "LIST 1", "TOP 1 3", "RETR 1",
                            "LIST 2", "RETR 2", "LIST 3", "RETR 3", "UIDL", "QUIT"});
  } else {
    // The TOPs sent ahead were answered, read and dropped; each message came once by RETR.
    for (const char* retr : {"RETR 1", "RETR 2", "RETR 3"}) {
      EXPECT_EQ(std::count(commands.begin(), commands.end(), retr), 1) << retr;
    }
    EXPECT_EQ(commands.back(), "QUIT");
  }
}

// Message 2 is announced as too big to fetch whole, and its TOP is refused: it is fetched by
// RETR in its turn, so a cut at that RETR leaves it to the next check.
TEST_P(FaultModes, ARefusedHeaderOnlyTopKeepsTheOrderOfTheFetches) {
  const std::string sizes = R"("list_sizes": [100, 1000000000, 100], "no_top": [2])";
  Checker checker;
  checker.AddAccount("fault", port, "fuser", "fpass");
  Scenario("{" + sizes + R"(, "drop_at": "RETR 2"})");
  checker.CheckNow();
  ASSERT_TRUE(checker.OutcomeOf(0).failed);
  EXPECT_EQ(checker.AccountAt(0).lastNumber, 1);
  Scenario("{" + sizes + "}");
  checker.CheckNow();
  EXPECT_FALSE(checker.OutcomeOf(0).failed) << checker.OutcomeOf(0).error;
  std::vector<std::string> subjects;
  for (const auto& item : checker.Engine().List().Items()) {
    subjects.push_back(item->subject.value_or(""));
  }
  EXPECT_EQ(subjects, (std::vector<std::string>{"message 1", "message 2", "message 3"}));
}

TEST_P(FaultModes, NegativeListOnlyLosesTheSize) {
  Scenario(R"({"no_list": true})");
  Checker checker;
  checker.AddAccount("fault", port, "fuser", "fpass");
  checker.CheckNow();
  EXPECT_FALSE(checker.OutcomeOf(0).failed) << checker.OutcomeOf(0).error;
  ASSERT_EQ(checker.Engine().List().Size(), 3u);
  EXPECT_FALSE(checker.Engine().List().At(0)->sizeText);
}

TEST_P(FaultModes, OneByteReadsAndNulBytesLoseNothing) {
  for (const char* scenario :
       {R"({"byte_reads": true})",
        R"({"messages": ["From: n@x\r\nSubject: nul\u0000inside\r\nMessage-Id: <n1@x>\r\n\r\n)"
        R"(a\u0000b\r\n", "From: m@x\r\nSubject: after\r\nMessage-Id: <n2@x>\r\n\r\nz\r\n"]})"}) {
    Scenario(scenario);
    Checker checker;
    checker.AddAccount("fault", port, "fuser", "fpass");
    checker.CheckNow();
    EXPECT_FALSE(checker.OutcomeOf(0).failed) << scenario << checker.OutcomeOf(0).error;
    CheckEngine& engine = checker.Engine();
    ASSERT_GE(engine.List().Size(), 2u) << scenario;
    EXPECT_EQ(checker.Commands("fault").back(), "QUIT");
  }
}

// A message over the size limit does not stop the check at the same place every time: it is
// listed from its header, and the messages after it are fetched.
TEST_P(FaultModes, AMessageOverTheSizeLimitIsListedFromItsHeader) {
  Scenario(R"({"big_message_mb": 300})");
  Checker checker;
  checker.AddAccount("fault", port, "fuser", "fpass");
  checker.CheckNow();
  EXPECT_FALSE(checker.OutcomeOf(0).failed) << checker.OutcomeOf(0).error;
  ExpectCommands(checker.Commands("fault"),
                 Commands{"USER fuser", "PASS ****", "STAT", "LIST 1", "TOP 1 0", "LIST 2",
                          "RETR 2", "LIST 3", "RETR 3", "UIDL", "QUIT"});
  ASSERT_EQ(checker.Engine().List().Size(), 3u);
  const MailItem& big = *checker.Engine().List().At(0);
  EXPECT_EQ(big.subject, "big");
  EXPECT_EQ(big.sizeText, std::to_string(300 << 20));
  EXPECT_NE(checker.LogText().find("[fault] message 1 is over the size limit"), std::string::npos);
}

TEST_P(FaultModes, HugeAnnouncementsAndA50MegabyteMessage) {
  Outcome absurdSize = RunOnce(R"({"list_size": 100000000000})");
  EXPECT_FALSE(absurdSize.failed) << absurdSize.error;
  EXPECT_EQ(items, 3u);
  Outcome big = RunOnce(R"({"big_message_mb": 50})");
  EXPECT_FALSE(big.failed) << big.error;
  EXPECT_EQ(items, 3u);
}

// A server that gathers pipelined commands and answers them together, and one that answers a
// byte at a time: the same messages either way.
TEST_P(FaultModes, ServersThatAnswerInBatchesOrSlowly) {
  for (const char* scenario : {R"({"batch_seconds": 0.05})", R"({"byte_reads": true})"}) {
    Outcome outcome = RunOnce(scenario);
    EXPECT_FALSE(outcome.failed) << scenario << outcome.error;
    EXPECT_EQ(items, 3u) << scenario;
    Transcript();
  }
}

}  // namespace
}  // namespace postwink::integration
