#include "core/check/check_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/check/check_texts.h"
#include "core/net/net_texts.h"
#include "core/pop3/pop3_texts.h"
#include "unit/check/engine_fixture.h"

namespace postwink {
namespace {

using testing::EngineTest;
using testing::FakeCheckHost;
using testing::FakeServer;
using testing::FakeTransport;
using testing::MakeMessage;
using Names = std::vector<std::string>;

TEST_F(EngineTest, FirstCycleStartsWithTheSecondAccountLaterOnesWithTheFirst) {
  MakeEngine();
  RunCheckNow();
  EXPECT_EQ(network.opened, (Names{"pop1", "pop2", "pop0"}));
  EXPECT_FALSE(engine->CycleActive());
  EXPECT_EQ(engine->LastStartedIndex(), 3);
  network.opened.clear();
  RunCheckNow();
  EXPECT_EQ(network.opened, (Names{"pop0", "pop1", "pop2"}));
}

TEST_F(EngineTest, NewMailIsMergedAnnouncedAndAcknowledged) {
  MakeEngine();
  RunCheckNow();
  EXPECT_EQ(engine->List().Size(), 6u);
  EXPECT_EQ(engine->Keeper().Size(), 0u);
  EXPECT_TRUE(engine->NewMail());
  EXPECT_EQ(host.sounds, Names{"new.wav"});
  EXPECT_EQ(host.listWindowsShown, 1);
  EXPECT_TRUE(host.animating);
  EXPECT_EQ(host.frames, TrayFrames::kNewMail);
  EXPECT_EQ(host.toolTips.back(), "Postwink");

  engine->AcknowledgeNewMail();
  EXPECT_FALSE(engine->NewMail());
  EXPECT_FALSE(host.animating);
  EXPECT_FALSE(host.listTopMost);
  for (const auto& item : engine->List().Items()) EXPECT_EQ(item->isNew, 0);

  // Nothing new: the next cycle announces nothing and refreshes nothing.
  RunCheckNow();
  EXPECT_EQ(engine->List().Size(), 6u);
  EXPECT_EQ(host.sounds.size(), 1u);
  EXPECT_FALSE(engine->NewMail());
  EXPECT_EQ(host.listRefreshes, 0);
}

// A message is parsed while the server works on the next RETR (or the UIDL after the last),
// not while the server waits for the client.
TEST_F(EngineTest, EachMessageIsParsedAfterTheNextLongCommandIsSent) {
  MakeEngine(1);
  Names sentBeforeBuild;
  host.onBuildItem = [&] { sentBeforeBuild.push_back(servers[0].commands.back()); };
  RunCheckNow();
  EXPECT_EQ(sentBeforeBuild, (Names{"RETR 2", "UIDL"}));
  EXPECT_EQ(engine->List().Size(), 2u);
}

// A message fetched whole before the connection dies is kept, though its parse was still due.
TEST_F(EngineTest, AMessageFetchedBeforeADisconnectIsKept) {
  MakeEngine(1);
  network.hangUpOn = "LIST 2";
  RunCheckNow();
  EXPECT_EQ(servers[0].commands.back(), "LIST 2");
  ASSERT_EQ(At(0).items.size(), 1u);
  EXPECT_EQ(At(0).lastNumber, 1);
  EXPECT_EQ(At(0).lastIdentity, At(0).items[0]->identity);
  EXPECT_TRUE(engine->ErrorSeen());

  // The next check goes on from there.
  network.hangUpOn.clear();
  RunCheckNow();
  EXPECT_EQ(engine->List().Size(), 2u);
}

TEST_F(EngineTest, HiddenOrSpamMailAnnouncesNothing) {
  for (uint32_t flags : {kMailHidden, kMailSpam}) {
    FakeCheckHost fresh;
    host = fresh;
    host.flagsForNewItems = flags;
    MakeEngine();
    RunCheckNow();
    EXPECT_FALSE(engine->NewMail());
    EXPECT_TRUE(host.sounds.empty());
    EXPECT_EQ(host.listWindowsShown, 0);
    EXPECT_FALSE(host.animating);
    EXPECT_EQ(engine->List().Size(), 6u);  // listed (hidden) or kept out of sight (spam) alike
  }
}

TEST_F(EngineTest, SokigErrOneGoesOnAndNamesTheFirstFailureInTheTip) {
  MakeEngine(2);
  servers[1].password = "other";  // the second account is checked first after start-up
  RunCheckNow();
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(network.opened, (Names{"pop1", "pop0"}));
  EXPECT_TRUE(engine->ErrorSeen());
  EXPECT_EQ(host.toolTips.back(), std::string(texts::kReceiveError) + "box1");
  EXPECT_EQ(host.icon, TrayIcon::kError);
  EXPECT_EQ(engine->List().Size(), 2u);
}

TEST_F(EngineTest, SokigErrZeroStopsTheCycleWithABox) {
  settings.sokigErr = 0;
  MakeEngine(2);
  servers[1].password = "other";
  RunCheckNow();
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].first, std::string(texts::kAuthRejected) + "-ERR wrong");
  EXPECT_EQ(host.boxes[0].second, std::string(texts::kErrorCaptionPrefix) + "box1");
  EXPECT_EQ(network.opened, (Names{"pop1"}));
  EXPECT_FALSE(engine->CycleActive());
  EXPECT_TRUE(At(0).due);  // not reached: still due for the next cycle
}

TEST_F(EngineTest, MinuteTickAndIntervals) {
  MakeEngine(3, 10);
  At(0).interval = 1;
  At(1).interval = 0;
  engine->Start();  // START_RUN off: nothing at once
  host.Advance(59000, *engine, network);
  EXPECT_TRUE(network.opened.empty());
  host.Advance(1500, *engine, network);
  EXPECT_EQ(network.opened, (Names{"pop1", "pop0"}));
  host.Advance(60000, *engine, network);
  EXPECT_EQ(network.opened.size(), 4u);
  host.Advance(8 * 60000, *engine, network);
  EXPECT_EQ(std::count(network.opened.begin(), network.opened.end(), "pop2"), 1);

  // Check now resets the counts: the interval-10 account waits its full interval again.
  host.Advance(5 * 60000, *engine, network);
  network.opened.clear();
  RunCheckNow();
  EXPECT_EQ(std::count(network.opened.begin(), network.opened.end(), "pop2"), 1);
  network.opened.clear();
  host.Advance(9 * 60000, *engine, network);
  EXPECT_EQ(std::count(network.opened.begin(), network.opened.end(), "pop2"), 0);
  host.Advance(60000, *engine, network);
  EXPECT_EQ(std::count(network.opened.begin(), network.opened.end(), "pop2"), 1);
}

TEST_F(EngineTest, DisabledAndOfflineAccountsArePassedOver) {
  MakeEngine(3);
  At(1).enabled = 0;
  At(2).offlineGuard = 1;
  host.internet = false;
  RunCheckNow();
  EXPECT_EQ(network.opened, (Names{"pop0"}));
  EXPECT_NE(std::find(host.toolTips.begin(), host.toolTips.end(),
                      std::string(texts::kCheckingMail) + "box1]"),
            host.toolTips.end());
  EXPECT_FALSE(engine->ErrorSeen());
}

TEST_F(EngineTest, SilenceTimesOutAndDataRestartsTheTimeout) {
  MakeEngine(1);
  RunCheckNow();
  EXPECT_GT(host.timeoutStarts, 5);  // started at connect and again at every read

  network.silent = true;
  host.toolTips.clear();
  engine->CheckNow();
  host.Advance(59000, *engine, network);
  EXPECT_EQ(engine->CurrentIndex(), 0);
  host.Advance(2000, *engine, network);
  EXPECT_FALSE(network.Open());
  EXPECT_TRUE(engine->ErrorSeen());
  host.Advance(1000, *engine, network);
  EXPECT_EQ(host.toolTips.back(), std::string(texts::kReceiveError) + "box0");
}

TEST_F(EngineTest, HandEditedTimeoutOfZeroFallsBackToTheDefault) {
  settings.svTimeout = 0;
  MakeEngine(1);
  network.silent = true;
  engine->CheckNow();
  host.Advance(30000, *engine, network);
  EXPECT_TRUE(network.Open());
  host.Advance(31000, *engine, network);
  EXPECT_FALSE(network.Open());
}

TEST_F(EngineTest, ServerSynRemovingTheLastNewItemClearsTheNotification) {
  settings.serverSyn = 1;
  MakeEngine(1);
  servers[0].messages = {MakeMessage("only")};
  RunCheckNow();
  ASSERT_TRUE(engine->NewMail());
  ASSERT_EQ(engine->List().Size(), 1u);

  // The message is deleted and another one arrives, which a filter hides.
  servers[0].messages = {MakeMessage("hidden")};
  host.flagsForNewItems = kMailHidden;
  RunCheckNow();
  EXPECT_EQ(engine->List().Size(), 1u);
  EXPECT_EQ(engine->List().At(0)->identity, "<hidden@test>");
  EXPECT_FALSE(engine->NewMail());
  EXPECT_FALSE(host.animating);
}

TEST_F(EngineTest, CheckNowIsRefusedWhileAConnectionIsOpen) {
  MakeEngine(2);
  network.silent = true;
  engine->CheckNow();
  host.Advance(200, *engine, network);
  ASSERT_TRUE(network.Open());
  EXPECT_FALSE(engine->CanCheckNow());
  engine->CheckNow();
  EXPECT_EQ(network.opened.size(), 1u);
}

// Check now (or the minute tick) between two accounts of a running cycle does not start over,
// which would forget the mail and the failure found so far: the cycle takes the accounts it has
// not taken yet and ends, and the next cycle, right after it, the others.
TEST_F(EngineTest, CheckNowBetweenTwoAccountsOfARunningCycleKeepsWhatWasFound) {
  MakeEngine(3);
  servers[0].messages.clear();
  servers[1].messages.clear();
  servers[1].password = "other";
  engine->CheckNow();
  host.Advance(200, *engine, network);
  ASSERT_EQ(network.opened, (Names{"pop1", "pop2"}));  // a failure, then two new messages
  ASSERT_TRUE(engine->CycleActive());
  ASSERT_EQ(engine->ActiveSocket(), kNoSocket);
  servers[1].password = "secret";
  engine->CheckNow();
  host.Advance(10000, *engine, network);
  EXPECT_FALSE(engine->CycleActive());
  EXPECT_EQ(network.opened, (Names{"pop1", "pop2", "pop0", "pop1", "pop2"}));
  EXPECT_EQ(engine->List().Size(), 2u);
  EXPECT_TRUE(engine->NewMail());
  EXPECT_EQ(host.sounds.size(), 1u);
  const std::string errorTip = std::string(texts::kReceiveError) + "box1";
  EXPECT_NE(std::find(host.toolTips.begin(), host.toolTips.end(), errorTip), host.toolTips.end());
  // The failed account was checked again, with success, in the second cycle.
  EXPECT_FALSE(engine->ErrorSeen());
  EXPECT_EQ(host.toolTips.back(), "Postwink");
}

// "-v" logs what LOG=1 logs: the separator, the greeting, the replies to the login and the error
// text, so that a failed login shows its reason.
TEST_F(EngineTest, VerboseLogsWhatLogOneLogs) {
  const struct {
    int log;
    bool verbose;
    bool full;
  } cases[] = {{1, false, true}, {0, true, true}, {0, false, false}};
  for (const auto& c : cases) {
    host = FakeCheckHost();
    settings.log = c.log;
    MakeEngine(1);
    engine->SetVerbose(c.verbose);
    servers[0].password = "other";
    RunCheckNow();
    auto logged = [&](const std::string& entry) {
      return std::find(host.log.begin(), host.log.end(), entry) != host.log.end();
    };
    SCOPED_TRACE(::testing::Message() << "LOG=" << c.log << " verbose=" << c.verbose);
    EXPECT_EQ(logged("--- recv"), c.full);
    EXPECT_EQ(logged("[box0] " + servers[0].greeting), c.full);
    EXPECT_EQ(logged("[box0] -ERR wrong"), c.full);
    EXPECT_EQ(logged(std::string(texts::kAuthRejected) + "-ERR wrong"), c.full);
    EXPECT_TRUE(logged("[box0] PASS ****"));
  }
}

// Memory running out while a message is turned into an item fails that account with the fixed
// text; the program, the cycle and the other accounts go on.
TEST_F(EngineTest, AFailedAllocationFailsTheAccountNotTheProgram) {
  MakeEngine(2);
  bool thrown = false;
  host.onBuildItem = [&] {
    if (!thrown) {
      thrown = true;
      throw std::bad_alloc();
    }
  };
  settings.sokigErr = 0;
  RunCheckNow();
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].first, texts::kOutOfMemory);
  EXPECT_EQ(host.boxes[0].second, std::string(texts::kErrorCaptionPrefix) + "box1");
  EXPECT_FALSE(network.Open());
  EXPECT_EQ(engine->ActiveSocket(), kNoSocket);

  // The next check takes up where the failure left off.
  settings.sokigErr = 1;
  RunCheckNow();
  EXPECT_FALSE(engine->ErrorSeen());
  EXPECT_EQ(engine->List().Size(), 4u);
}

TEST_F(EngineTest, ResolveFailureAndEmptyServerAreReported) {
  settings.sokigErr = 0;
  for (const auto& [server, text] :
       {std::pair<std::string, const char*>{"unknown", texts::kResolveFailed},
        {"", texts::kNoServerName}}) {
    host = FakeCheckHost();
    MakeEngine(1);
    At(0).server = server;
    RunCheckNow();
    ASSERT_EQ(host.boxes.size(), 1u) << server;
    EXPECT_EQ(host.boxes[0].first, text) << server;
    EXPECT_EQ(engine->ActiveSocket(), kNoSocket);
    EXPECT_TRUE(At(0).cachedAddresses.empty());
    EXPECT_TRUE(network.opened.empty());
  }
}

TEST_F(EngineTest, TheServerIsLookedUpAgainAfterAFailureAndEverySoOften) {
  MakeEngine(1);
  auto lookups = [this] {
    return std::count(host.log.begin(), host.log.end(), "gethostbyname...");
  };
  RunCheckNow();
  RunCheckNow();
  EXPECT_EQ(lookups(), 1) << "kept while it works";
  // The network changed under the laptop: the old address answers no more.
  network.silent = true;
  engine->CheckNow();
  host.Advance(70000, *engine, network);
  ASSERT_TRUE(engine->ErrorSeen());
  network.silent = false;
  RunCheckNow();
  EXPECT_EQ(lookups(), 2) << "looked up again after the failure";
  host.Advance(kAddressLifetimeMs, *engine, network);
  RunCheckNow();
  EXPECT_GT(lookups(), 2) << "looked up again once the addresses are old";
}

// Each socket failure reaches the user with the text of its event.
TEST_F(EngineTest, SocketFailuresGiveTheTextOfTheirEvent) {
  const struct {
    SocketEvent event;
    int error;
    const char* text;
  } cases[] = {
      {SocketEvent::kRead, 10054, texts::kTransferError},
      {SocketEvent::kWrite, 10054, texts::kTransferError},
      {SocketEvent::kConnect, 10061, texts::kConnectFailed},
      // A transport that looks the name up as it connects found nothing.
      {SocketEvent::kConnect, kLookupFailedError, texts::kResolveFailed},
      {SocketEvent::kClose, 10053, texts::kDisconnected},
      {SocketEvent::kClose, 0, texts::kDisconnected},  // closed before QUIT
  };
  settings.sokigErr = 0;
  network.silent = true;
  for (const auto& c : cases) {
    host = FakeCheckHost();
    MakeEngine(1);
    engine->CheckNow();
    host.Advance(200, *engine, network);
    ASSERT_TRUE(network.Open());
    engine->OnSocketEvent(engine->ActiveSocket(), c.event, c.error);
    SCOPED_TRACE(::testing::Message()
                 << "event " << static_cast<int>(c.event) << " error " << c.error);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].first, c.text);
    EXPECT_FALSE(network.Open());
    EXPECT_EQ(engine->ActiveSocket(), kNoSocket);
  }
}

TEST_F(EngineTest, ApplySettingsDropsItemsOfDeletedAccountsAndTheUpdateNotice) {
  MakeEngine(2);
  RunCheckNow();
  auto notice = std::make_unique<MailItem>();
  notice->identity = "update";
  engine->AddUpdateItem(std::move(notice));
  ASSERT_EQ(engine->List().Size(), 5u);
  engine->ApplyAccounts({{&At(1), FieldsOf(At(1))}});
  // Until the settings are applied as a whole (an open list closed first), the deleted
  // account's items stay listed with their account.
  ASSERT_EQ(engine->List().Size(), 5u);
  int ofDeleted = 0;
  for (const auto& item : engine->List().Items()) ofDeleted += item->account->mailbox == "box0";
  EXPECT_EQ(ofDeleted, 2);
  engine->ApplySettings();
  ASSERT_EQ(engine->List().Size(), 2u);
  for (const auto& item : engine->List().Items()) {
    EXPECT_EQ(item->account, engine->Accounts()[0].get());
  }
}

// The settings sheet applies while a check runs: the open connection belongs to an account, not
// to a position, so renumbering must not hand its lines or items to another account.
class ApplyDuringCheckTest : public EngineTest {
 protected:
  // Starts check now and stops with the second account's connection open, mid-fetch.
  void StartAndPauseInSecondAccount() {
    MakeEngine(3);
    network.readsLeft = 4;  // greeting, USER, PASS, STAT: RETR of the first message pending
    engine->CheckNow();
    host.Advance(150, *engine, network);
    ASSERT_TRUE(network.Open());
    ASSERT_EQ(engine->CurrentIndex(), 1);
  }
  void Resume() {
    network.readsLeft = -1;
    host.Advance(10000, *engine, network);
  }
  // Every message id ("<a1@test>") names the number of the server it came from.
  void ExpectItemsWithTheirOwnAccounts() {
    for (const auto& item : engine->List().Items()) {
      const Account* account = item->account;
      ASSERT_NE(account, nullptr);
      std::string server = account->server.value_or("");
      const std::string& id = item->identity;
      ASSERT_NE(id.find('@'), std::string::npos);
      EXPECT_EQ(id[id.find('@') - 1], server.back()) << id << " in " << server;
    }
  }
};

TEST_F(ApplyDuringCheckTest, DeletingAnEarlierAccountKeepsTheConnectionWithItsAccount) {
  StartAndPauseInSecondAccount();
  Account* checked = &At(1);
  AccountFields renamed = FieldsOf(*checked);
  renamed.mailbox = "renamed";
  engine->ApplyAccounts({{checked, renamed}, {&At(2), FieldsOf(At(2))}});
  EXPECT_EQ(&At(0), checked);
  EXPECT_EQ(engine->CurrentIndex(), 0);
  EXPECT_TRUE(checked->cachedAddresses.empty());  // looked up again at its next check

  Resume();
  EXPECT_FALSE(engine->ErrorSeen());
  EXPECT_EQ(engine->List().Size(), 4u);
  ExpectItemsWithTheirOwnAccounts();
  EXPECT_EQ(At(0).items.size(), 2u);
  EXPECT_EQ(At(0).lastNumber, 2);
  // The cycle went on with the account after the one being checked.
  EXPECT_EQ(network.opened, (Names{"pop1", "pop2"}));
}

TEST_F(ApplyDuringCheckTest, DeletingTheCheckedAccountEndsItsConnectionQuietly) {
  StartAndPauseInSecondAccount();
  Account* first = &At(0);
  engine->ApplyAccounts({{first, FieldsOf(*first)}, {&At(2), FieldsOf(At(2))}});
  EXPECT_FALSE(network.Open());
  EXPECT_EQ(engine->CurrentIndex(), -1);
  EXPECT_TRUE(engine->CanCheckNow());
  // A late event of the closed socket concerns nobody.
  engine->OnSocketEvent(2, SocketEvent::kRead, 0);

  Resume();
  EXPECT_FALSE(engine->ErrorSeen());
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(network.opened, (Names{"pop1", "pop2", "pop0"}));
  EXPECT_EQ(engine->List().Size(), 4u);
  ExpectItemsWithTheirOwnAccounts();
  EXPECT_EQ(engine->Keeper().Size(), 0u);
}

TEST_F(ApplyDuringCheckTest, AnAccountAddedMeanwhileIsCheckedAtItsTurn) {
  StartAndPauseInSecondAccount();
  std::vector<AccountEdit> edits;
  for (int i = 0; i < 3; ++i) edits.push_back({&At(i), FieldsOf(At(i))});
  AccountFields added = FieldsOf(At(2));
  added.mailbox = "added";
  edits.push_back({nullptr, added});
  engine->ApplyAccounts(edits);
  ASSERT_EQ(engine->Accounts().size(), 4u);
  EXPECT_EQ(At(3).mailbox, "added");
  EXPECT_EQ(At(3).index, 3);
  EXPECT_FALSE(At(3).due);  // not part of the running cycle

  Resume();
  EXPECT_EQ(network.opened, (Names{"pop1", "pop2", "pop0"}));
  EXPECT_EQ(engine->List().Size(), 6u);
  ExpectItemsWithTheirOwnAccounts();
}

TEST_F(EngineTest, ACheckCutOffInTheMiddleOfTheWindowKeepsWhatCameWhole) {
  // The server hangs up when asked for message 4 of 20: pipelined, that is after LISTs and
  // RETRs far beyond it were sent; the outcome must be lock-step's.
  std::vector<std::string> outcomes;
  settings.sokigErr = 0;
  for (bool pipelining : {false, true}) {
    servers[0].messages.clear();
    for (int i = 1; i <= 20; ++i)
      servers[0].messages.push_back(MakeMessage("c" + std::to_string(i)));
    servers[0].capabilities = {"UIDL", "PIPELINING"};
    servers[0].commands.clear();
    host = FakeCheckHost();
    MakeEngine(1);
    engine->SetPipelining(pipelining);
    network.hangUpOn = "RETR 4";
    RunCheckNow();
    EXPECT_TRUE(engine->ErrorSeen());
    // Pipelined, the commands sent after the hang-up fail to go out while the replies to the
    // earlier ones are still to be read: those are read, and the close is what is reported.
    ASSERT_EQ(host.boxes.size(), 1u) << pipelining;
    EXPECT_EQ(host.boxes[0].first, texts::kDisconnected) << pipelining;
    ASSERT_EQ(At(0).items.size(), 3u) << pipelining;
    EXPECT_EQ(At(0).lastNumber, 3);
    EXPECT_EQ(At(0).lastIdentity, "<c3@test>");
    bool sentAhead = std::find(servers[0].commands.begin(), servers[0].commands.end(), "LIST 10") !=
                     servers[0].commands.end();
    EXPECT_EQ(sentAhead, pipelining);

    // The next check verifies message 3 and fetches the rest.
    network.hangUpOn.clear();
    servers[0].commands.clear();
    RunCheckNow();
    EXPECT_FALSE(engine->ErrorSeen());
    EXPECT_EQ(servers[0].commands[4], "TOP 3 0");
    std::string items;
    for (const MailItem* item : At(0).items) items += std::to_string(item->number) + ",";
    outcomes.push_back(items + std::to_string(engine->List().Size()));
  }
  EXPECT_EQ(outcomes[0], outcomes[1]);
  EXPECT_EQ(outcomes[1], "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,20");
}

TEST_F(EngineTest, LockStepOutlivesTheSettingsTakenAfterIt) {
  settings.sokigErr = 0;
  servers[0].capabilities = {"UIDL", "PIPELINING"};
  MakeEngine(1);
  engine->SetPipelining(false);
  engine->SetVerbose(true);
  engine->ApplySettings();
  RunCheckNow();
  const std::vector<std::string>& sent = servers[0].commands;
  auto list1 = std::find(sent.begin(), sent.end(), "LIST 1");
  ASSERT_NE(list1, sent.end());
  ASSERT_NE(list1 + 1, sent.end());
  EXPECT_EQ(*(list1 + 1), "RETR 1");
}

}  // namespace
}  // namespace postwink

namespace postwink {
namespace {

class SecureEngineTest : public EngineTest {
 protected:
  void SetUp() override {
    settings.sokigErr = 0;
    MakeEngine(1);
  }
};

TEST_F(SecureEngineTest, TlsFromTheStartBeginsAtConnectAndNothingGoesOutBeforeIt) {
  network.tlsFromStart = {"pop0"};
  At(0).security = 1;
  At(0).tlsFingerprint = std::string(64, 'a');
  RunCheckNow();
  ASSERT_EQ(network.tlsStarts.size(), 1u);
  EXPECT_EQ(network.tlsStarts[0].host, "pop0");
  ASSERT_TRUE(network.tlsStarts[0].pin);
  EXPECT_EQ((*network.tlsStarts[0].pin)[0], 0xAA);
  EXPECT_TRUE(network.sentInClear.empty());
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(engine->List().Size(), 2u);
}

TEST_F(SecureEngineTest, StlsSwitchesAfterItsReplyAndLogsInInsideTls) {
  servers[0].capabilities = {"STLS"};
  servers[0].stlsAccepted = true;
  At(0).security = 2;
  RunCheckNow();
  EXPECT_EQ(network.sentInClear, (Names{"CAPA", "STLS"}));
  EXPECT_EQ(network.tlsStarts.size(), 1u);
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(engine->List().Size(), 2u);
}

TEST_F(SecureEngineTest, FailuresNameTheirProblemAndSendNothing) {
  struct Case {
    int security;
    std::string fingerprint;
    TlsFailure handshake;
    std::string text;
  };
  const Case cases[] = {
      {1, "", TlsFailure::kUntrusted, texts::kCertUntrusted},
      {1, "", TlsFailure::kNameMismatch, texts::kCertNameMismatch},
      {1, "", TlsFailure::kNotTls, texts::kTlsNotTls},
      {1, "12:34", TlsFailure::kNone, texts::kFingerprintInvalid},
      {7, "", TlsFailure::kNone, texts::kSecurityInvalid},
      {0, std::string(64, 'a'), TlsFailure::kNone, texts::kFingerprintWithoutTls},
  };
  network.tlsFromStart = {"pop0"};
  for (const Case& c : cases) {
    At(0).security = c.security;
    At(0).tlsFingerprint = c.fingerprint;
    network.handshakeResult = c.handshake;
    network.sentInClear.clear();
    host.boxes.clear();
    RunCheckNow();
    ASSERT_EQ(host.boxes.size(), 1u) << c.text;
    EXPECT_EQ(host.boxes[0].first, c.text);
    EXPECT_TRUE(network.sentInClear.empty()) << c.text;
    EXPECT_EQ(engine->ActiveSocket(), kNoSocket);
  }
  EXPECT_EQ(servers[0].commands, Names{});
}

// A pinned certificate on an account without TLS cannot be meant: nothing goes to the server.
TEST_F(SecureEngineTest, AFingerprintWithoutTlsIsRefusedBeforeAnythingIsSent) {
  At(0).tlsFingerprint = std::string(64, 'a');
  RunCheckNow();
  EXPECT_EQ(servers[0].commands, Names{});
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].first, texts::kFingerprintWithoutTls);
}

TEST_F(SecureEngineTest, EachAddressIsTriedInTurn) {
  network.refusingAddresses["pop0"] = 2;
  RunCheckNow();
  EXPECT_EQ(network.opened, (Names{"pop0", "pop0", "pop0"}));
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(engine->List().Size(), 2u);

  // Addresses that never answer give way at the time-out, one after the other.
  network.opened.clear();
  network.refusalsHang = true;
  At(0).cachedAddresses.clear();
  engine->CheckNow();
  host.Advance(60500, *engine, network);
  EXPECT_EQ(network.opened.size(), 2u);
  host.Advance(60000, *engine, network);
  EXPECT_EQ(network.opened.size(), 3u);
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_FALSE(engine->CycleActive());
}

TEST_F(SecureEngineTest, ATrickleTimesOutWhileASlowButSteadyReplyDoesNot) {
  network.silent = true;
  engine->CheckNow();
  host.Advance(200, *engine, network);
  ASSERT_TRUE(network.Open());
  // 600 bytes a second for three minutes: more than the minimum pace.
  for (int second = 0; second < 180 && network.Open(); ++second) {
    host.now += 1000;
    network.extraBytes += 600;
    engine->OnSocketEvent(network.Handle(), SocketEvent::kRead, 0);
  }
  EXPECT_TRUE(network.Open());
  EXPECT_TRUE(host.boxes.empty());

  // A byte every five seconds: the idle time-out never fires, the pace does, after the grace.
  host = FakeCheckHost();
  MakeEngine(1);
  engine->CheckNow();
  host.Advance(200, *engine, network);
  int seconds = 0;
  while (network.Open() && seconds < 600) {
    seconds += 5;
    host.now += 5000;
    network.extraBytes += 1;
    engine->OnSocketEvent(network.Handle(), SocketEvent::kRead, 0);
  }
  EXPECT_FALSE(network.Open());
  EXPECT_GE(seconds, 60);
  EXPECT_LE(seconds, 65);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].first, texts::kTooSlow);
}

TEST_F(SecureEngineTest, APlainCheckOnThePop3sPortThatHearsNothingSaysToChooseTls) {
  network.silent = true;
  At(0).port = 995;
  RunCheckNow();
  host.Advance(60000, *engine, network);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].first, texts::kPlainOnTlsPort);
}

}  // namespace
}  // namespace postwink
