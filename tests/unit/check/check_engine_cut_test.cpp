// Checks cut off, stopped or held open, and what the following checks and cycles make of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/check/check_engine.h"
#include "core/check/check_texts.h"
#include "core/pop3/pop3_texts.h"
#include "unit/check/engine_fixture.h"

namespace postwink {
namespace {

using testing::EngineTest;
using testing::MakeMessage;
using Names = std::vector<std::string>;

class CutCheckTest : public EngineTest {
 protected:
  // Five messages fetched, and the connection lost at the UIDL that was to give them their ids.
  void FetchAndLoseTheUidl() {
    servers[0].messages.clear();
    for (int i = 1; i <= 5; ++i)
      servers[0].messages.push_back(MakeMessage("m" + std::to_string(i)));
    MakeEngine(1);
    network.hangUpOn = "UIDL";
    RunCheckNow();
    ASSERT_TRUE(engine->ErrorSeen());
    ASSERT_EQ(At(0).items.size(), 5u);
    for (const MailItem* item : At(0).items) ASSERT_FALSE(item->uniqueId);
    network.hangUpOn.clear();
  }
  // The identities of the listed items still on the server, in list order.
  Names Listed() {
    Names out;
    for (const auto& item : engine->List().Items()) {
      if ((item->flags & kMailGone) == 0) out.push_back(item->identity);
    }
    return out;
  }
};

TEST_F(CutCheckTest, ItemsLeftWithoutUniqueIdsGetThemAtTheNextCheck) {
  FetchAndLoseTheUidl();
  servers[0].commands.clear();
  RunCheckNow();
  EXPECT_FALSE(engine->ErrorSeen());
  EXPECT_NE(std::find(servers[0].commands.begin(), servers[0].commands.end(), "UIDL"),
            servers[0].commands.end());
  for (const MailItem* item : At(0).items) EXPECT_TRUE(item->uniqueId) << item->identity;

  // So a message deleted elsewhere later renumbers the rest without fetching them again.
  servers[0].messages.erase(servers[0].messages.begin());
  servers[0].commands.clear();
  RunCheckNow();
  for (const std::string& command : servers[0].commands) EXPECT_NE(command.substr(0, 4), "RETR");
  EXPECT_EQ(Listed(), (Names{"<m2@test>", "<m3@test>", "<m4@test>", "<m5@test>"}));
}

// A resynchronisation right after the cut cannot know the items without ids: they are gone and
// fetched again, and the fresh copies take the place of the gone ones, unannounced.
TEST_F(CutCheckTest, AGoneItemNeverHoldsBackAFreshCopyOfItself) {
  for (int serverSyn : {0, 1}) {
    SCOPED_TRACE(::testing::Message() << "SERVER_SYN=" << serverSyn);
    host = testing::FakeCheckHost();
    servers[0] = testing::FakeServer();
    settings.serverSyn = serverSyn;
    FetchAndLoseTheUidl();
    servers[0].messages.erase(servers[0].messages.begin());
    RunCheckNow();
    EXPECT_EQ(Listed(), (Names{"<m2@test>", "<m3@test>", "<m4@test>", "<m5@test>"}));
    EXPECT_EQ(engine->List().Size(), serverSyn ? 4u : 5u);
    EXPECT_EQ(host.sounds.size(), 1u);
    // And the next check finds nothing new and loses nothing.
    RunCheckNow();
    EXPECT_EQ(Listed(), (Names{"<m2@test>", "<m3@test>", "<m4@test>", "<m5@test>"}));
    EXPECT_EQ(host.sounds.size(), 1u);
  }
}

// Accounts that become due while a long check runs wait for the next cycle: the cycle that runs
// ends, and announces what it found.
TEST_F(EngineTest, ACycleTakesEachAccountOnceAndEnds) {
  MakeEngine(2, 1);
  network.silentServers = {"pop1"};  // each check of it lasts the whole SV_TIMEOUT
  engine->Start();
  engine->CheckNow();
  host.Advance(170000, *engine, network);
  EXPECT_EQ(engine->List().Size(), 2u);
  EXPECT_EQ(host.sounds.size(), 1u);
  const std::string errorTip = std::string(texts::kReceiveError) + "box1";
  EXPECT_NE(std::find(host.toolTips.begin(), host.toolTips.end(), errorTip), host.toolTips.end());
  // The accounts due meanwhile were taken by the cycles that followed, in turn.
  EXPECT_EQ(network.opened, (Names{"pop1", "pop0", "pop1", "pop0", "pop1"}));
}

// With SOKIGERR other than 1 a failure stops the cycle; the mail fetched before it in that cycle
// is still announced, with the failure's box.
TEST_F(EngineTest, AStoppedCycleAnnouncesWhatItFetched) {
  settings.sokigErr = 0;
  MakeEngine(2);
  servers[0].password = "other";  // pop1 is checked first, then pop0 fails
  RunCheckNow();
  EXPECT_EQ(network.opened, (Names{"pop1", "pop0"}));
  EXPECT_EQ(engine->List().Size(), 2u);
  EXPECT_TRUE(engine->NewMail());
  EXPECT_EQ(host.sounds.size(), 1u);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].second, std::string(texts::kErrorCaptionPrefix) + "box0");
  EXPECT_EQ(host.toolTips.back(), std::string(texts::kReceiveError) + "box0");
  EXPECT_FALSE(engine->CycleActive());
}

// The check is over once QUIT is answered: a server that keeps the connection open, or goes on
// talking, holds nothing.
TEST_F(EngineTest, TheReplyToQuitEndsTheCheck) {
  for (const Names& afterQuit : {Names{}, Names(1000, "+OK more")}) {
    host = testing::FakeCheckHost();
    MakeEngine(1);
    network.quitKeepsOpen = true;
    network.afterQuit = afterQuit;
    engine->CheckNow();
    host.Advance(1000, *engine, network);
    EXPECT_FALSE(network.Open());
    EXPECT_FALSE(engine->CycleActive());
    EXPECT_FALSE(engine->ErrorSeen());
    EXPECT_EQ(engine->List().Size(), 2u);
  }
}

// A server that keeps sending at a good pace cannot hold a check for ever either.
TEST_F(EngineTest, AConnectionHasATotalDeadline) {
  settings.sokigErr = 0;
  MakeEngine(1);
  network.silent = true;
  engine->CheckNow();
  host.Advance(200, *engine, network);
  int64_t start = host.now;
  while (network.Open() && host.now - start < 3 * kConnectionDeadlineMs) {
    host.now += 30000;
    network.extraBytes += 1 << 20;
    engine->OnSocketEvent(network.Handle(), SocketEvent::kRead, 0);
  }
  EXPECT_FALSE(network.Open());
  // The connection was opened at the first step, 100 ms in.
  EXPECT_GT(host.now, kConnectionDeadlineMs + 100);
  EXPECT_LE(host.now, kConnectionDeadlineMs + 100 + 30000);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].first, texts::kTimedOut);
}

// The settings sheet applies an edit while the account's check runs: the check goes on with the
// settings it started with; the edit counts from the next check.
TEST_F(EngineTest, AnEditAppliedDuringACheckWaitsForTheNextCheck) {
  struct Case {
    const char* name;
    int reads;  // what the server has said when the edit comes
    std::function<void(AccountFields&)> edit;
  };
  const Case cases[] = {
      {"password between USER and PASS", 2, [](AccountFields& f) { f.password = "new"; }},
      {"STLS switched off during CAPA", 1, [](AccountFields& f) { f.security = 0; }},
      {"APOP switched on during CAPA", 1, [](AccountFields& f) { f.apop = 1; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host = testing::FakeCheckHost();
    servers[0].commands.clear();
    servers[0].capabilities = {"STLS", "UIDL"};
    servers[0].stlsAccepted = true;
    network.sentInClear.clear();
    MakeEngine(1);
    At(0).security = 2;
    network.readsLeft = c.reads;
    engine->CheckNow();
    host.Advance(150, *engine, network);
    ASSERT_TRUE(network.Open());
    AccountFields edited = FieldsOf(At(0));
    c.edit(edited);
    engine->ApplyAccounts({{&At(0), edited}});
    network.readsLeft = -1;
    host.Advance(10000, *engine, network);
    EXPECT_FALSE(engine->ErrorSeen());
    EXPECT_EQ(engine->List().Size(), 2u);
    EXPECT_EQ(network.sentInClear, (Names{"CAPA", "STLS"}));
    Names login(servers[0].commands.begin() + 3, servers[0].commands.begin() + 5);
    EXPECT_EQ(login, (Names{"USER user", "PASS secret"}));
  }
}

}  // namespace
}  // namespace postwink
