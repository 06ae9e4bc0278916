// The engine's push connections: one per IMAP account with push, beside the cycle that polls
// the others; closed at shutdown and on request, and opened again at the next tick; a failing
// one keeps the tray's error state until it idles again.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/check/check_texts.h"
#include "unit/check/engine_fixture.h"
#include "unit/check/script_transport.h"

namespace postwink::testing {
namespace {

// What the push connections' transports did, all of them together.
struct PushNetwork {
  std::multiset<int> opened;  // ports connected to, one entry per connection
  int open = 0;
  bool refuse = false;
};

class CountedTransport : public ScriptTransport {
 public:
  explicit CountedTransport(PushNetwork& network) : network_(network) { refuse = network.refuse; }
  OpenResult OpenConnection(const NetAddress& address, int port) override {
    OpenResult result = ScriptTransport::OpenConnection(address, port);
    if (result.socket != kNoSocket) {
      network_.opened.insert(port);
      ++network_.open;
    }
    return result;
  }
  void CloseConnection(SocketHandle socket) override {
    ScriptTransport::CloseConnection(socket);
    --network_.open;
  }

 private:
  PushNetwork& network_;
};

class EnginePushTest : public EngineTest {
 protected:
  void SetUp() override {
    MakeEngine(3);
    // box0 stays a POP3 account; box1 pushes on port 1143, box2 on 2143.
    for (int i = 1; i < 3; ++i) {
      At(i).protocol = kProtocolImap;
      At(i).push = 1;
      At(i).port = i * 1000 + 143;
    }
    engine->EnablePush([this] { return std::make_unique<CountedTransport>(pushNetwork); });
  }
  PushNetwork pushNetwork;
};

TEST_F(EnginePushTest, EachPushAccountHasItsOwnConnectionBesideTheCycle) {
  engine->PushTick();
  EXPECT_EQ(pushNetwork.opened, (std::multiset<int>{1143, 2143}));
  EXPECT_EQ(engine->PushConnections().size(), 2u);
  // Another tick opens nothing more.
  engine->PushTick();
  EXPECT_EQ(pushNetwork.open, 2);

  // Check now polls only the POP3 account through the engine's own transport.
  RunCheckNow();
  EXPECT_EQ(network.opened, std::vector<std::string>{"pop0"});
}

TEST_F(EnginePushTest, RestartClosesEveryConnectionAndTheNextTickOpensThemAgain) {
  engine->PushTick();
  engine->RestartPushes();
  EXPECT_EQ(pushNetwork.open, 0);
  EXPECT_TRUE(engine->PushConnections().empty());
  engine->PushTick();
  EXPECT_EQ(pushNetwork.open, 2);
  EXPECT_EQ(pushNetwork.opened, (std::multiset<int>{1143, 1143, 2143, 2143}));
}

TEST_F(EnginePushTest, StopClosesThePushConnections) {
  engine->PushTick();
  engine->Stop();
  EXPECT_EQ(pushNetwork.open, 0);
  EXPECT_TRUE(engine->PushConnections().empty());
}

TEST_F(EnginePushTest, AppliedAccountsCloseTheDeletedAndOpenTheNew) {
  engine->PushTick();
  // box2 deleted; box0 becomes a push account.
  std::vector<AccountEdit> edits;
  for (int i : {0, 1}) {
    AccountEdit edit{&At(i), FieldsOf(At(i))};
    edits.push_back(edit);
  }
  edits[0].fields.protocol = kProtocolImap;
  edits[0].fields.push = 1;
  edits[0].fields.port = 143;
  engine->ApplyAccounts(edits);
  EXPECT_EQ(pushNetwork.open, 0);
  engine->PushTick();
  EXPECT_EQ(pushNetwork.open, 2);
  EXPECT_EQ(pushNetwork.opened, (std::multiset<int>{1143, 2143, 143, 1143}));
}

TEST_F(EnginePushTest, AFailingPushAccountKeepsTheErrorStateUntilItIdlesAgain) {
  At(2).protocol = kProtocolPop3;
  pushNetwork.refuse = true;
  engine->PushTick();
  EXPECT_EQ(host.icon, TrayIcon::kError);
  EXPECT_EQ(host.toolTips.back(), std::string(texts::kReceiveError) + "box1");

  // A check of the polled accounts that succeeds does not hide it: box1 is still down.
  RunCheckNow();
  EXPECT_EQ(host.icon, TrayIcon::kError);
  EXPECT_EQ(host.toolTips.back(), std::string(texts::kReceiveError) + "box1");

  // Connected again after the back-off, it signs in, looks and idles: the error state ends.
  pushNetwork.refuse = false;
  engine->RestartPushes();
  engine->PushTick();
  PushConnection& push = *engine->PushConnections()[0];
  auto& transport = static_cast<ScriptTransport&>(push.GetTransport());
  auto read = [&](std::vector<std::string> lines) {
    for (std::string& line : lines) transport.lines.push_back(std::move(line));
    push.OnSocketEvent(transport.opens, SocketEvent::kRead, 0);
  };
  push.OnSocketEvent(transport.opens, SocketEvent::kConnect, 0);
  read({"* OK [CAPABILITY IMAP4rev1 IDLE] hi"});
  read({"a1 OK [CAPABILITY IMAP4rev1 IDLE] in"});
  read({"* OK [UIDVALIDITY 1] v", "* OK [UIDNEXT 1] n", "a2 OK"});
  read({"* SEARCH", "a3 OK"});
  EXPECT_EQ(host.icon, TrayIcon::kError);
  read({"+ idling"});
  ASSERT_TRUE(push.Idling());
  EXPECT_EQ(host.icon, TrayIcon::kNormal);
  EXPECT_EQ(host.toolTips.back(), "Postwink");
}

// An account that signs in with OAuth pushes too; here no sign-in can be had, which fails it
// once, with the tray's error state and the host asked to offer a sign-in.
TEST_F(EnginePushTest, AnOAuthAccountPushesAndALostSignInReachesTheHost) {
  At(1).security = 1;
  At(1).oauth.tokenCommand = "print-token";
  At(2).protocol = kProtocolPop3;
  engine->PushTick();
  ASSERT_EQ(engine->PushConnections().size(), 1u);
  EXPECT_EQ(&engine->PushConnections()[0]->GetAccount(), &At(1));
  EXPECT_EQ(host.signInNeeded, std::vector<int>{1});
  EXPECT_EQ(host.icon, TrayIcon::kError);
  EXPECT_EQ(pushNetwork.open, 0);

  RunCheckNow();
  // The cycle leaves it out.
  EXPECT_EQ(std::set<std::string>(network.opened.begin(), network.opened.end()),
            (std::set<std::string>{"pop0", "pop2"}));
  EXPECT_EQ(host.signInNeeded, std::vector<int>{1});
}

}  // namespace
}  // namespace postwink::testing
