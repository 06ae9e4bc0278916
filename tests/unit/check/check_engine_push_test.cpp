// The engine's push connections: one per IMAP account with push, beside the cycle that polls
// the others; closed at shutdown and on request, and opened again at the next tick.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "unit/check/engine_fixture.h"

namespace postwink::testing {
namespace {

// What the push connections' transports did, all of them together.
struct PushNetwork {
  std::multiset<int> opened;  // ports connected to, one entry per connection
  int open = 0;
};

class PushTransport : public Transport {
 public:
  explicit PushTransport(PushNetwork& network) : network_(network) {}
  ~PushTransport() override { CloseConnection(socket_); }

  ResolveResult ResolveHost(std::string_view) override {
    return {std::vector<NetAddress>{NetAddress{}}, ""};
  }
  OpenResult OpenConnection(const NetAddress&, int port) override {
    network_.opened.insert(port);
    ++network_.open;
    socket_ = 1;
    return {socket_, ""};
  }
  ReceiveStatus ReceiveLines(SocketHandle, const LineSplitter::LineReceiver&) override {
    return ReceiveStatus::kHandled;
  }
  bool SendText(SocketHandle, std::string_view) override { return true; }
  void CloseConnection(SocketHandle socket) override {
    if (socket == kNoSocket || socket != socket_) return;
    --network_.open;
    socket_ = kNoSocket;
  }
  TlsFailure StartTls(SocketHandle, const TlsTarget&) override { return TlsFailure::kNone; }
  TlsFailure LastTlsFailure() const override { return TlsFailure::kNone; }
  uint64_t ReceivedBytes() const override { return 0; }

 private:
  PushNetwork& network_;
  SocketHandle socket_ = kNoSocket;
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
    engine->EnablePush([this] { return std::make_unique<PushTransport>(pushNetwork); });
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

}  // namespace
}  // namespace postwink::testing
