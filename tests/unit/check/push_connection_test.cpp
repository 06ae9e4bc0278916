#include "core/check/push_connection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/check/check_texts.h"
#include "unit/check/fake_check_host.h"
#include "unit/check/script_transport.h"

namespace postwink {
namespace {

class Listener : public PushListener {
 public:
  int items = 0;
  std::vector<std::string> failures;
  int unavailable = 0;
  void OnPushItems(Account&) override { ++items; }
  void OnPushFailed(Account&, const std::string& error) override { failures.push_back(error); }
  void OnPushUnavailable(Account&) override { ++unavailable; }
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
    auto owned = std::make_unique<ScriptTransport>();
    transport = owned.get();
    push = std::make_unique<PushConnection>(host, keeper, std::move(owned), account,
                                            ImapSessionSettings{}, kDeadline, listener);
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
    Read({"* OK [CAPABILITY IMAP4rev1 IDLE] hi"});
    Read({"a1 OK [CAPABILITY IMAP4rev1 IDLE] in"});
    Read({"* OK [UIDVALIDITY 1] v", "* OK [UIDNEXT 3] n", "a2 OK"});
    Read({"* SEARCH 2", "a3 OK"});
    Read({"* 1 FETCH (UID 2 FLAGS () BODY[HEADER] {14}", "Subject: a", "", ")", "a4 OK"});
    Read({"+ idling"});
  }

  testing::FakeCheckHost host;
  ItemKeeper keeper;
  Account account;
  Listener listener;
  ScriptTransport* transport = nullptr;
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

}  // namespace
}  // namespace postwink
