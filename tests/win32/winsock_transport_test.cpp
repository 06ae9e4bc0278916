// The Winsock transport as postwink-cli uses it: socket events and lines reach the owner
// through a window's messages (WM_SOCKET_EVENT, WM_SOCKET_LINE).
#include <winsock2.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/check/headless_check_host.h"
#include "core/pop3/pop3_texts.h"
#include "openssl_server.h"
#include "win32/platform/winsock_transport.h"

namespace postwink {
namespace {

struct WinsockUser {
  WinsockUser() {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
  }
  ~WinsockUser() { WSACleanup(); }
};

// A blocking listening socket on a free loopback port.
struct Listener {
  WinsockUser winsock;
  SOCKET s = INVALID_SOCKET;
  int port = 0;
  Listener() {
    s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(s, 1);
    int len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
  }
  ~Listener() { closesocket(s); }
};

struct Recorder : TransportEvents {
  PumpedTransport* transport = nullptr;
  std::vector<std::pair<SocketEvent, int>> events;
  std::vector<std::string> lines;
  std::string stopAt;  // a line after which the receiver stops the delivery
  void OnSocketEvent(SocketHandle socket, SocketEvent event, int error) override {
    events.emplace_back(event, error);
    if (event == SocketEvent::kRead && error == 0) {
      transport->ReceiveLines(socket, [this](std::string_view line) {
        lines.emplace_back(line);
        return line != stopAt;
      });
    }
  }
  void PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 50 && !done(); ++i) transport->Pump(100, *this);
  }
};

NetAddress Loopback4() {
  NetAddress a;
  a.bytes[0] = 127;
  a.bytes[3] = 1;
  return a;
}

// A window of the test's thread that hands the socket messages to a transport, as the program's
// main window does, and runs the thread's messages as its message loop would.
struct SocketWindow : TransportEvents {
  WinsockUser winsock;
  HWND hwnd = nullptr;
  win::WinsockTransport* transport = nullptr;
  std::vector<std::pair<SocketHandle, SocketEvent>> connects;
  std::vector<int> errors;
  int socketMessages = 0;
  // What the owner does with each event after it is recorded.
  std::function<void(SocketHandle, SocketEvent, int)> follow;

  SocketWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &SocketWindow::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PostwinkTestSocketWindow";
    RegisterClassW(&wc);
    hwnd = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           wc.hInstance, nullptr);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~SocketWindow() { DestroyWindow(hwnd); }

  void OnSocketEvent(SocketHandle socket, SocketEvent event, int error) override {
    connects.emplace_back(socket, event);
    errors.push_back(error);
    if (follow) follow(socket, event, error);
  }
  // Runs the thread's messages until done, for ten seconds at most.
  void PumpUntil(const std::function<bool()>& done, DWORD ms = 10000) {
    DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < ms) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
  }

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<SocketWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && msg == win::WM_SOCKET_EVENT) {
      ++self->socketMessages;
      if (self->transport != nullptr) self->transport->DispatchSocketEvent(*self, wParam, lParam);
      return 0;
    }
    if (self != nullptr && self->transport != nullptr && msg == win::WM_SOCKET_LINE) {
      return self->transport->DeliverLine(wParam, lParam);
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
};

// A resolver that answers only when the test lets it, as a slow name server or a captive portal
// does. Shared with the lookup, which may outlive the transport that started it.
struct HeldLookup {
  HANDLE entered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE released = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::vector<NetAddress> answer;
  ~HeldLookup() {
    CloseHandle(entered);
    CloseHandle(released);
  }
  static win::HostLookup Of(const std::shared_ptr<HeldLookup>& held) {
    return [held](const std::string&) {
      SetEvent(held->entered);
      WaitForSingleObject(held->released, INFINITE);
      return held->answer;
    };
  }
};

TEST(WinsockTransport, AHeldLookupLeavesTheWindowAnsweringAndTheConnectionFollowsIt) {
  Listener listener;
  auto held = std::make_shared<HeldLookup>();
  held->answer = {Loopback4()};
  SocketWindow window;
  win::WinsockTransport transport(window.hwnd, HeldLookup::Of(held));
  window.transport = &transport;
  // Another thread asks the window something while the lookup is held, then lets it go.
  bool answered = false;
  std::thread asker([&] {
    if (WaitForSingleObject(held->entered, 10000) == WAIT_OBJECT_0) {
      DWORD_PTR result = 0;
      answered = SendMessageTimeoutW(window.hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
    }
    SetEvent(held->released);
  });
  ResolveResult resolved = transport.ResolveHost("mail.example.test");
  OpenResult open;
  if (!resolved.addresses.empty()) {
    open = transport.OpenConnection(resolved.addresses[0], listener.port);
    window.PumpUntil([&] { return !window.connects.empty(); });
  }
  SetEvent(held->released);
  asker.join();
  EXPECT_TRUE(answered) << "the window's thread waited for the lookup";
  ASSERT_NE(open.socket, kNoSocket) << resolved.error << open.error;
  ASSERT_EQ(window.connects.size(), 1u);
  EXPECT_EQ(window.connects[0], std::make_pair(open.socket, SocketEvent::kConnect));
  EXPECT_EQ(window.errors[0], 0);
  SOCKET peer = accept(listener.s, nullptr, nullptr);
  EXPECT_NE(peer, INVALID_SOCKET);
  closesocket(peer);
  transport.CloseConnection(open.socket);
}

// A certificate check that answers only when the test lets it, as a chain build does that fetches
// an authority's certificate or a revocation list from a slow server.
struct HeldCheck {
  HANDLE entered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE released = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ~HeldCheck() {
    CloseHandle(entered);
    CloseHandle(released);
  }
  static win::CertificateCheck Of(const std::shared_ptr<HeldCheck>& held) {
    return [held](const CERT_CONTEXT*, const TlsTarget&) {
      SetEvent(held->entered);
      // Bounded, so that a check that blocks the window's thread fails the test and no more.
      WaitForSingleObject(held->released, 20000);
      return TlsFailure::kNone;
    };
  }
};

// A TLS connection to an s_server on loopback, driven as the check engine drives one: TLS once
// connected, every read through the transport.
struct TlsClient {
  SocketWindow window;
  win::WinsockTransport transport;
  OpenResult open;
  TlsFailure started = TlsFailure::kUnavailable;
  std::vector<ReceiveStatus> reads;
  std::vector<std::string> lines;

  explicit TlsClient(win::CertificateCheck check)
      : transport(window.hwnd, win::LookUpHost, std::move(check)) {
    window.transport = &transport;
    window.follow = [this](SocketHandle socket, SocketEvent event, int error) {
      if (event == SocketEvent::kConnect && error == 0) {
        started = transport.StartTls(socket, TlsTarget{"localhost", std::nullopt});
      } else if (event == SocketEvent::kRead) {
        reads.push_back(transport.ReceiveLines(socket, [this](std::string_view line) {
          lines.emplace_back(line);
          return true;
        }));
      }
    };
  }
  void Connect(int port) { open = transport.OpenConnection(Loopback4(), port); }
  bool Ended() const {
    for (ReceiveStatus r : reads) {
      if (r != ReceiveStatus::kHandled) return true;
    }
    return false;
  }
};

TEST(WinsockTransport, AHeldCertificateCheckLeavesTheWindowAnsweringAndTheConnectionFollowsIt) {
  if (!test::OpensslServer::Available()) GTEST_SKIP() << "openssl is not installed";
  // Lines typed to the server go to the client with CR LF.
  test::OpensslServer server("-tls1_2 -crlf");
  ASSERT_NE(server.Port(), 0) << server.Output();
  auto held = std::make_shared<HeldCheck>();
  TlsClient client(HeldCheck::Of(held));
  bool answered = false;
  std::thread asker([&] {
    if (WaitForSingleObject(held->entered, 10000) == WAIT_OBJECT_0) {
      // The server's greeting may arrive while the check runs: it waits for the outcome.
      server.Type("+OK greeting\n");
      DWORD_PTR result = 0;
      answered =
          SendMessageTimeoutW(client.window.hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
    }
    SetEvent(held->released);
  });
  client.Connect(server.Port());
  client.window.PumpUntil([&] { return client.Ended(); });
  SetEvent(held->released);
  asker.join();
  EXPECT_TRUE(answered) << "the window's thread waited for the certificate check";
  EXPECT_EQ(client.started, TlsFailure::kNone);
  EXPECT_THAT(client.reads, testing::Contains(ReceiveStatus::kSecured))
      << TlsFailureText(client.transport.LastTlsFailure());
  client.window.PumpUntil([&] { return !client.lines.empty(); });
  EXPECT_EQ(client.lines, std::vector<std::string>{"+OK greeting"});
  // The connection is secured: text goes out encrypted and the server reads it.
  EXPECT_TRUE(client.transport.SendText(client.open.socket, "NOOP after the check\r\n"));
  client.window.PumpUntil(
      [&] { return server.Output().find("NOOP after the check") != std::string::npos; });
  EXPECT_THAT(server.Output(), testing::HasSubstr("NOOP after the check"));
  client.transport.CloseConnection(client.open.socket);
}

// The system's own check, on its thread, still decides: s_server's certificate is self-signed.
TEST(WinsockTransport, TheSystemsCertificateCheckRefusesAnUnknownAuthority) {
  if (!test::OpensslServer::Available()) GTEST_SKIP() << "openssl is not installed";
  test::OpensslServer server("-tls1_2");
  ASSERT_NE(server.Port(), 0) << server.Output();
  TlsClient client(win::CheckServerCertificate);
  client.Connect(server.Port());
  client.window.PumpUntil([&] { return client.Ended(); });
  EXPECT_THAT(client.reads, testing::Contains(ReceiveStatus::kTlsFailed));
  EXPECT_EQ(client.transport.LastTlsFailure(), TlsFailure::kUntrusted);
  client.transport.CloseConnection(client.open.socket);
}

// A server that asks for a client certificate gets none and goes on; its later request for a new
// handshake (s_server's "R", which asks for the certificate again) ends the connection with its
// own failure, since Wine's SChannel cannot start one.
TEST(WinsockTransport, AServerAskingForACertificateOrARenegotiationGetsAClearAnswer) {
  if (!test::OpensslServer::Available()) GTEST_SKIP() << "openssl is not installed";
  test::OpensslServer server("-tls1_2 -crlf -verify 1");
  ASSERT_NE(server.Port(), 0) << server.Output();
  TlsClient client([](const CERT_CONTEXT*, const TlsTarget&) { return TlsFailure::kNone; });
  client.Connect(server.Port());
  client.window.PumpUntil([&] { return client.Ended(); });
  ASSERT_THAT(client.reads, testing::Contains(ReceiveStatus::kSecured)) << server.Output();
  server.Type("+OK without a certificate\n");
  client.window.PumpUntil([&] { return !client.lines.empty(); });
  EXPECT_EQ(client.lines, std::vector<std::string>{"+OK without a certificate"});
  server.Type("R\n");
  client.window.PumpUntil([&] { return client.reads.back() == ReceiveStatus::kTlsFailed; });
  EXPECT_EQ(client.reads.back(), ReceiveStatus::kTlsFailed);
  EXPECT_EQ(client.transport.LastTlsFailure(), TlsFailure::kRenegotiation);
  client.transport.CloseConnection(client.open.socket);
}

// A check that timed out, or a program that ends, while the certificate check runs: when the
// check ends it touches nothing that went.
TEST(WinsockTransport, AConnectionClosedOrDestroyedWhileItsCertificateCheckRunsEndsCleanly) {
  if (!test::OpensslServer::Available()) GTEST_SKIP() << "openssl is not installed";
  for (bool destroy : {false, true}) {
    SCOPED_TRACE(destroy ? "destroyed" : "closed");
    test::OpensslServer server("-tls1_2");
    ASSERT_NE(server.Port(), 0) << server.Output();
    auto held = std::make_shared<HeldCheck>();
    auto client = std::make_unique<TlsClient>(HeldCheck::Of(held));
    client->Connect(server.Port());
    client->window.PumpUntil(
        [&] { return WaitForSingleObject(held->entered, 0) == WAIT_OBJECT_0; });
    ASSERT_EQ(WaitForSingleObject(held->entered, 0), WAIT_OBJECT_0) << server.Output();
    if (destroy) {
      client.reset();
    } else {
      client->transport.CloseConnection(client->open.socket);
    }
    SetEvent(held->released);
    // The check's thread lets go of its share when it is done; the test and a living transport
    // keep theirs.
    const long kept = destroy ? 1 : 2;
    SocketWindow other;
    other.PumpUntil([&] { return held.use_count() == kept; });
    EXPECT_EQ(held.use_count(), kept);
    if (destroy) continue;
    // What it might have posted has arrived, and ended nothing.
    client->window.PumpUntil([] { return false; }, 300);
    EXPECT_THAT(client->reads, testing::Not(testing::Contains(ReceiveStatus::kSecured)));
  }
}

// Whether a connection waits on the listener, within a fifth of a second.
bool ConnectionWaiting(const Listener& listener) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(listener.s, &readable);
  timeval wait{0, 200000};
  return select(0, &readable, nullptr, nullptr, &wait) == 1;
}

NetAddress Loopback4At(uint8_t last) {
  NetAddress a = Loopback4();
  a.bytes[3] = last;
  return a;
}

// Where the lookup's answer takes the connection; the listener is on 127.0.0.1 only, so
// 127.0.0.2 refuses.
TEST(WinsockTransport, TheLookupsAnswerDecidesWhereTheConnectionGoes) {
  const struct {
    const char* name;
    std::vector<NetAddress> answer;
    bool connects;
    int error;  // of the kConnect event; -1: any but 0
  } cases[] = {
      {"one address", {Loopback4At(1)}, true, 0},
      {"the first refuses", {Loopback4At(2), Loopback4At(1)}, true, 0},
      {"every one refuses", {Loopback4At(2)}, false, -1},
      {"nothing found", {}, false, kLookupFailedError},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Listener listener;
    SocketWindow window;
    auto answer = c.answer;
    win::WinsockTransport transport(window.hwnd, [answer](const std::string&) { return answer; });
    window.transport = &transport;
    OpenResult open = transport.OpenConnection(
        transport.ResolveHost("mail.example.test").addresses[0], listener.port);
    ASSERT_NE(open.socket, kNoSocket) << open.error;
    window.PumpUntil([&] { return !window.connects.empty(); });
    ASSERT_EQ(window.connects.size(), 1u);
    EXPECT_EQ(window.connects[0], std::make_pair(open.socket, SocketEvent::kConnect));
    if (c.error >= 0) {
      EXPECT_EQ(window.errors[0], c.error);
    } else {
      EXPECT_NE(window.errors[0], 0);
    }
    EXPECT_EQ(ConnectionWaiting(listener), c.connects);
    transport.CloseConnection(open.socket);
  }
}

// An address that takes no connection and refuses none, as one behind a dead route: a listener
// on 127.0.0.2 whose backlog is full, so that the system drops every further connection attempt
// unanswered. Empty when the system here does not behave so.
struct Blackhole {
  WinsockUser winsock;
  SOCKET listener = INVALID_SOCKET;
  std::vector<SOCKET> queued;
  bool made = false;
  explicit Blackhole(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(0x7f000002);
    a.sin_port = htons(static_cast<u_short>(port));
    listener = socket(AF_INET, SOCK_STREAM, 0);
    if (bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        listen(listener, 0) != 0) {
      return;
    }
    for (int i = 0; i < 8 && !made; ++i) {
      SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
      u_long nonBlocking = 1;
      ioctlsocket(s, FIONBIO, &nonBlocking);
      connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
      queued.push_back(s);
      fd_set writable;
      FD_ZERO(&writable);
      FD_SET(s, &writable);
      timeval wait{0, 300000};
      made = select(0, nullptr, &writable, nullptr, &wait) == 0;
    }
  }
  ~Blackhole() {
    for (SOCKET s : queued) closesocket(s);
    closesocket(listener);
  }
};

// A name with an address behind a dead route first: the next address is tried after a few
// seconds, not after the system gives the connect up (more than twenty).
TEST(WinsockTransport, AnAddressThatDoesNotAnswerGivesWayToTheNextAfterItsDeadline) {
  Listener listener;
  Blackhole hole(listener.port);
  if (!hole.made) GTEST_SKIP() << "no unanswering address can be made here";
  SocketWindow window;
  std::vector<NetAddress> answer = {Loopback4At(2), Loopback4At(1)};
  win::WinsockTransport transport(
      window.hwnd, [answer](const std::string&) { return answer; }, win::CheckServerCertificate,
      1000);
  window.transport = &transport;
  OpenResult open = transport.OpenConnection(
      transport.ResolveHost("mail.example.test").addresses[0], listener.port);
  ASSERT_NE(open.socket, kNoSocket) << open.error;
  DWORD start = GetTickCount();
  window.PumpUntil([&] { return !window.connects.empty(); }, 15000);
  ASSERT_EQ(window.connects.size(), 1u) << "no outcome after " << GetTickCount() - start << " ms";
  EXPECT_EQ(window.connects[0], std::make_pair(open.socket, SocketEvent::kConnect));
  EXPECT_EQ(window.errors[0], 0);
  EXPECT_TRUE(ConnectionWaiting(listener));
  transport.CloseConnection(open.socket);
}

TEST(WinsockTransport, ANameThatDoesNotExistEndsAsAFailedLookup) {
  Listener listener;
  SocketWindow window;
  win::WinsockTransport transport(window.hwnd);
  window.transport = &transport;
  OpenResult open = transport.OpenConnection(
      transport.ResolveHost("no-such-host.invalid").addresses[0], listener.port);
  window.PumpUntil([&] { return !window.connects.empty(); });
  ASSERT_EQ(window.connects.size(), 1u);
  EXPECT_EQ(window.connects[0], std::make_pair(open.socket, SocketEvent::kConnect));
  EXPECT_EQ(window.errors[0], kLookupFailedError);
}

// A check that timed out, or a program that ends, while the lookup still runs: when the lookup
// ends it touches nothing that went, and connects nowhere.
TEST(WinsockTransport, AConnectionClosedOrDestroyedWhileItsLookupRunsEndsCleanly) {
  for (bool destroy : {false, true}) {
    SCOPED_TRACE(destroy ? "destroyed" : "closed");
    Listener listener;
    auto held = std::make_shared<HeldLookup>();
    held->answer = {Loopback4()};
    SocketWindow window;
    auto transport = std::make_unique<win::WinsockTransport>(window.hwnd, HeldLookup::Of(held));
    window.transport = transport.get();
    OpenResult open = transport->OpenConnection(
        transport->ResolveHost("mail.example.test").addresses[0], listener.port);
    ASSERT_NE(open.socket, kNoSocket) << open.error;
    ASSERT_EQ(WaitForSingleObject(held->entered, 10000), WAIT_OBJECT_0);
    if (destroy) {
      window.transport = nullptr;
      transport.reset();
    } else {
      transport->CloseConnection(open.socket);
    }
    SetEvent(held->released);
    // The lookup's thread lets go of its resolver when it is done; the test and a living
    // transport keep theirs.
    const long kept = destroy ? 1 : 2;
    window.PumpUntil([&] { return held.use_count() == kept; });
    EXPECT_EQ(held.use_count(), kept);
    // What it might have posted has arrived.
    window.PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(window.connects.empty());
    EXPECT_FALSE(ConnectionWaiting(listener));
    if (destroy) continue;
    // The transport goes on: the next connection does not take the old lookup's end for its own.
    open = transport->OpenConnection(Loopback4(), listener.port);
    window.PumpUntil([&] { return !window.connects.empty(); });
    ASSERT_EQ(window.connects.size(), 1u);
    EXPECT_EQ(window.connects[0], std::make_pair(open.socket, SocketEvent::kConnect));
    EXPECT_EQ(window.errors[0], 0);
  }
}

TEST(WinsockTransport, ResolveTakesAddressLiteralsAndReportsFailures) {
  auto transport = MakePlatformTransport();
  ResolveResult dotted = transport->ResolveHost("192.168.0.1");
  ASSERT_EQ(dotted.addresses.size(), 1u);
  EXPECT_EQ(dotted.addresses[0].bytes[0], 192);
  EXPECT_EQ(dotted.addresses[0].bytes[3], 1);
  EXPECT_TRUE(dotted.error.empty());
  ResolveResult six = transport->ResolveHost("[::1]");
  ASSERT_EQ(six.addresses.size(), 1u);
  EXPECT_EQ(six.addresses[0].family, NetAddress::Family::kIPv6);
  EXPECT_EQ(six.addresses[0].bytes[15], 1);
  EXPECT_EQ(transport->ResolveHost("").error, texts::kNoServerName);
  // A name is looked up as its connection opens, away from the caller's thread.
  ResolveResult name = transport->ResolveHost(" mail.example.test ");
  ASSERT_EQ(name.addresses.size(), 1u);
  EXPECT_EQ(name.addresses[0].family, NetAddress::Family::kName);
  EXPECT_EQ(name.addresses[0].name, "mail.example.test");
  EXPECT_EQ(transport->ResolveHost("0.0.0.0").error, texts::kResolveFailed);
}

TEST(WinsockTransport, ConnectReceiveSendAndPeerClose) {
  Listener listener;
  auto transport = MakePlatformTransport();
  Recorder owner;
  owner.transport = transport.get();
  OpenResult open = transport->OpenConnection(Loopback4(), listener.port);
  ASSERT_GT(open.socket, 0) << open.error;
  SOCKET peer = accept(listener.s, nullptr, nullptr);
  ASSERT_NE(peer, INVALID_SOCKET);
  owner.PumpUntil([&] { return !owner.events.empty(); });
  ASSERT_FALSE(owner.events.empty());
  EXPECT_EQ(owner.events[0], std::make_pair(SocketEvent::kConnect, 0));

  // A NUL inside a line is kept; a line split across two sends (between CR and LF) is whole.
  const char kFirst[] = "+OK ready\r\n+OK \0two\r\n+OK th";
  send(peer, kFirst, sizeof kFirst - 1, 0);
  owner.PumpUntil([&] { return owner.lines.size() >= 2; });
  Sleep(100);
  send(peer, "ree\r", 4, 0);
  Sleep(100);
  send(peer, "\n.\r\n", 4, 0);
  owner.PumpUntil([&] { return owner.lines.size() >= 4; });
  EXPECT_EQ(owner.lines,
            (std::vector<std::string>{"+OK ready", std::string("+OK \0two", 8), "+OK three", "."}));

  std::string longText(600, 'z');
  ASSERT_TRUE(transport->SendText(open.socket, longText));
  std::string got;
  char buf[1024];
  while (got.size() < longText.size()) {
    int n = recv(peer, buf, sizeof buf, 0);
    ASSERT_GT(n, 0);
    got.append(buf, n);
  }
  EXPECT_EQ(got, longText);

  closesocket(peer);
  owner.PumpUntil([&] { return owner.events.back().first == SocketEvent::kClose; });
  EXPECT_EQ(owner.events.back().first, SocketEvent::kClose);
  transport->CloseConnection(open.socket);
  EXPECT_FALSE(transport->SendText(open.socket, "QUIT\r\n"));
}

TEST(WinsockTransport, ReceiverThatStopsDropsTheRestOfTheRead) {
  Listener listener;
  auto transport = MakePlatformTransport();
  Recorder owner;
  owner.transport = transport.get();
  owner.stopAt = "-ERR no";
  OpenResult open = transport->OpenConnection(Loopback4(), listener.port);
  ASSERT_GT(open.socket, 0) << open.error;
  SOCKET peer = accept(listener.s, nullptr, nullptr);
  ASSERT_NE(peer, INVALID_SOCKET);
  const char kReply[] = "-ERR no\r\nnever seen\r\n";
  send(peer, kReply, sizeof kReply - 1, 0);
  owner.PumpUntil([&] { return !owner.lines.empty(); });
  for (int i = 0; i < 3; ++i) transport->Pump(50, owner);
  EXPECT_EQ(owner.lines, (std::vector<std::string>{"-ERR no"}));
  transport->CloseConnection(open.socket);
  closesocket(peer);
}

TEST(WinsockTransport, RefusedConnectionArrivesAsConnectEventWithError) {
  int port;
  {
    Listener closed;
    port = closed.port;
  }
  auto transport = MakePlatformTransport();
  Recorder owner;
  owner.transport = transport.get();
  OpenResult open = transport->OpenConnection(Loopback4(), port);
  if (open.socket == kNoSocket) {
    EXPECT_EQ(open.error, texts::kConnectFailed);
    return;
  }
  owner.PumpUntil([&] { return !owner.events.empty(); });
  ASSERT_FALSE(owner.events.empty());
  EXPECT_EQ(owner.events[0].first, SocketEvent::kConnect);
  EXPECT_NE(owner.events[0].second, 0);
  transport->CloseConnection(open.socket);
}

}  // namespace
}  // namespace postwink
