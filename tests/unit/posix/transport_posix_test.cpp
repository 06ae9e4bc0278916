#include "posix/transport_posix.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/pop3/pop3_texts.h"

namespace postwink {
namespace {

// A listening socket on a free loopback port.
struct Listener {
  int fd = -1;
  int port = 0;
  Listener() {
    fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(fd, 1);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
  }
  ~Listener() { ::close(fd); }
};

struct Recorder : TransportEvents {
  PosixTransport* transport = nullptr;
  std::vector<std::pair<SocketEvent, int>> events;
  std::vector<std::string> lines;
  void OnSocketEvent(SocketHandle socket, SocketEvent event, int error) override {
    events.emplace_back(event, error);
    if (event == SocketEvent::kRead && error == 0) {
      transport->ReceiveLines(socket, [this](std::string_view line) {
        lines.emplace_back(line);
        return true;
      });
    }
  }
};

TEST(PosixTransport, ResolveTakesDottedAddressesAndReportsFailures) {
  PosixTransport transport;
  ResolveResult dotted = transport.ResolveHost("192.168.0.1");
  EXPECT_EQ(dotted.address, inet_addr("192.168.0.1"));
  EXPECT_TRUE(dotted.error.empty());
  EXPECT_EQ(transport.ResolveHost("").error, texts::kNoServerName);
  ResolveResult bad = transport.ResolveHost("no-such-host.invalid");
  EXPECT_EQ(bad.address, 0u);
  EXPECT_EQ(bad.error, texts::kResolveFailed);
}

TEST(PosixTransport, ConnectReceiveSendAndPeerClose) {
  Listener listener;
  PosixTransport transport;
  Recorder owner;
  owner.transport = &transport;
  OpenResult open = transport.OpenConnection(inet_addr("127.0.0.1"), listener.port);
  ASSERT_GT(open.socket, 0) << open.error;
  int peer = ::accept(listener.fd, nullptr, nullptr);
  ASSERT_GE(peer, 0);
  for (int i = 0; i < 20 && owner.events.empty(); ++i) transport.Poll(100, owner);
  ASSERT_FALSE(owner.events.empty());
  EXPECT_EQ(owner.events[0], std::make_pair(SocketEvent::kConnect, 0));

  const char kGreeting[] = "+OK ready\r\n+OK \0two\r\n";
  std::string greeting(kGreeting, sizeof kGreeting - 1);
  ::send(peer, greeting.data(), greeting.size(), 0);
  for (int i = 0; i < 20 && owner.lines.size() < 2; ++i) transport.Poll(100, owner);
  EXPECT_EQ(owner.lines, (std::vector<std::string>{"+OK ready", std::string("+OK \0two", 8)}));

  std::string longText(600, 'z');
  ASSERT_TRUE(transport.SendText(open.socket, longText));
  std::string got;
  char buf[1024];
  while (got.size() < longText.size()) {
    ssize_t n = ::recv(peer, buf, sizeof buf, 0);
    ASSERT_GT(n, 0);
    got.append(buf, n);
  }
  EXPECT_EQ(got, longText);

  ::close(peer);
  for (int i = 0; i < 20 && owner.events.back().first != SocketEvent::kClose; ++i) {
    transport.Poll(100, owner);
  }
  EXPECT_EQ(owner.events.back().first, SocketEvent::kClose);
  transport.CloseConnection(open.socket);
  EXPECT_FALSE(transport.HasConnection());
}

TEST(PosixTransport, RefusedConnectionArrivesAsConnectEventWithError) {
  int port;
  {
    Listener closed;
    port = closed.port;
  }
  PosixTransport transport;
  Recorder owner;
  owner.transport = &transport;
  OpenResult open = transport.OpenConnection(inet_addr("127.0.0.1"), port);
  if (open.socket == kNoSocket) {
    EXPECT_EQ(open.error, texts::kConnectFailed);
    return;
  }
  for (int i = 0; i < 20 && owner.events.empty(); ++i) transport.Poll(100, owner);
  ASSERT_FALSE(owner.events.empty());
  EXPECT_EQ(owner.events[0].first, SocketEvent::kConnect);
  EXPECT_NE(owner.events[0].second, 0);
}

}  // namespace
}  // namespace postwink
