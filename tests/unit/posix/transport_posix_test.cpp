// The POSIX transport exists only outside Windows.
#ifndef _WIN32
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

NetAddress Loopback4() {
  NetAddress a;
  a.bytes[0] = 127;
  a.bytes[3] = 1;
  return a;
}

NetAddress Loopback6() {
  NetAddress a;
  a.family = NetAddress::Family::kIPv6;
  a.bytes[15] = 1;
  return a;
}

// A listening socket on a free loopback port (IPv4, or IPv6 when asked).
struct Listener {
  int fd = -1;
  int port = 0;
  explicit Listener(bool v6 = false) {
    fd = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
    sockaddr_storage storage{};
    socklen_t len;
    if (v6) {
      auto* a = reinterpret_cast<sockaddr_in6*>(&storage);
      a->sin6_family = AF_INET6;
      a->sin6_addr = in6addr_loopback;
      len = sizeof *a;
    } else {
      auto* a = reinterpret_cast<sockaddr_in*>(&storage);
      a->sin_family = AF_INET;
      a->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      len = sizeof *a;
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&storage), len) != 0) return;
    ::listen(fd, 1);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&storage), &len);
    port = ntohs(v6 ? reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port
                    : reinterpret_cast<sockaddr_in*>(&storage)->sin_port);
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

TEST(PosixTransport, ResolveTakesAddressLiteralsAndReportsFailures) {
  PosixTransport transport;
  ResolveResult dotted = transport.ResolveHost("192.168.0.1");
  ASSERT_EQ(dotted.addresses.size(), 1u);
  EXPECT_EQ(dotted.addresses[0].family, NetAddress::Family::kIPv4);
  EXPECT_EQ(dotted.addresses[0].bytes[0], 192);
  EXPECT_EQ(dotted.addresses[0].bytes[3], 1);
  EXPECT_TRUE(dotted.error.empty());
  for (const char* v6 : {"::1", "[::1]", " ::1 "}) {
    ResolveResult loop = transport.ResolveHost(v6);
    ASSERT_EQ(loop.addresses.size(), 1u) << v6;
    EXPECT_EQ(loop.addresses[0], Loopback6()) << v6;
  }
  EXPECT_EQ(transport.ResolveHost("").error, texts::kNoServerName);
  ResolveResult bad = transport.ResolveHost("no-such-host.invalid");
  EXPECT_TRUE(bad.addresses.empty());
  EXPECT_EQ(bad.error, texts::kResolveFailed);
  EXPECT_EQ(transport.ResolveHost("0.0.0.0").error, texts::kResolveFailed);
  EXPECT_EQ(transport.ResolveHost("::").error, texts::kResolveFailed);
}

TEST(PosixTransport, ConnectsOverIpv6Loopback) {
  Listener listener(true);
  if (listener.port == 0) GTEST_SKIP() << "no IPv6 loopback here";
  PosixTransport transport;
  Recorder owner;
  owner.transport = &transport;
  OpenResult open = transport.OpenConnection(Loopback6(), listener.port);
  ASSERT_GT(open.socket, 0) << open.error;
  int peer = ::accept(listener.fd, nullptr, nullptr);
  ASSERT_GE(peer, 0);
  ::send(peer, "+OK six\r\n", 9, 0);
  for (int i = 0; i < 20 && owner.lines.empty(); ++i) transport.Poll(100, owner);
  EXPECT_EQ(owner.events.at(0), std::make_pair(SocketEvent::kConnect, 0));
  EXPECT_EQ(owner.lines, (std::vector<std::string>{"+OK six"}));
  EXPECT_EQ(transport.ReceivedBytes(), 9u);
  ::close(peer);
  transport.CloseConnection(open.socket);
}

TEST(PosixTransport, ConnectReceiveSendAndPeerClose) {
  Listener listener;
  PosixTransport transport;
  Recorder owner;
  owner.transport = &transport;
  OpenResult open = transport.OpenConnection(Loopback4(), listener.port);
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
  OpenResult open = transport.OpenConnection(Loopback4(), port);
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
#endif  // _WIN32
