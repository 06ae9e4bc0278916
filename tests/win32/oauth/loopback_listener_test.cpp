// The loopback listener on the window's thread: what the core is handed, what the browser gets
// back, and when the listener closes.
#include "win32/platform/loopback_listener_win32.h"

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <thread>
#include <vector>

#include "core/oauth/redirect_request.h"
#include "window_test_support.h"

namespace postwink::win {
namespace {

// A browser's connection on its own thread: sends the text, reads until the listener closes.
std::future<std::string> Browse(int port, std::string request) {
  return std::async(std::launch::async, [port, request] {
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<u_short>(port));
    std::string got;
    if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
      send(s, request.data(), static_cast<int>(request.size()), 0);
      char buffer[1024];
      int n;
      while ((n = recv(s, buffer, sizeof buffer, 0)) > 0) got.append(buffer, n);
    } else {
      got = "(refused)";
    }
    closesocket(s);
    return got;
  });
}

std::string Await(std::future<std::string>& f) {
  test::PumpUntil([&] { return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                  20000);
  return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready ? f.get() : "(no answer)";
}

TEST(LoopbackListenerTest, EachHeadGoesToTheCoreAndTheFinishingAnswerClosesTheListener) {
  WinLoopbackListener listener;
  std::vector<std::string> heads;
  int timeouts = 0;
  int port = listener.Start(
      [&](std::string_view head) {
        heads.emplace_back(head);
        bool redirect = head.rfind("GET /?", 0) == 0;
        return LoopbackAnswer{redirect ? "HTTP/1.1 200 OK\r\n\r\ndone" : "HTTP/1.1 404 X\r\n\r\n",
                              redirect};
      },
      [&] { ++timeouts; }, 20000);
  ASSERT_GT(port, 0);

  auto favicon = Browse(port, "GET /favicon.ico HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_EQ(Await(favicon), "HTTP/1.1 404 X\r\n\r\n");
  auto redirect = Browse(port, "GET /?code=c&state=s HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
  EXPECT_EQ(Await(redirect), "HTTP/1.1 200 OK\r\n\r\ndone");
  ASSERT_EQ(heads.size(), 2u);
  EXPECT_EQ(heads[1], "GET /?code=c&state=s HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");

  auto late = Browse(port, "GET /?code=again HTTP/1.1\r\n\r\n");
  EXPECT_EQ(Await(late), "(refused)");
  EXPECT_EQ(heads.size(), 2u);
  test::PumpFor(100);
  EXPECT_EQ(timeouts, 0);
}

TEST(LoopbackListenerTest, AnOversizedHeadIsDroppedUnread) {
  WinLoopbackListener listener;
  int calls = 0;
  int port = listener.Start(
      [&](std::string_view) {
        ++calls;
        return LoopbackAnswer{"HTTP/1.1 200 OK\r\n\r\n", false};
      },
      [] {}, 20000);
  ASSERT_GT(port, 0);
  auto huge =
      Browse(port, "GET /?" + std::string(kMaxRedirectRequestBytes + 100, 'a') + "\r\n\r\n");
  EXPECT_EQ(Await(huge), "");
  EXPECT_EQ(calls, 0);
  // The listener still serves the next browser.
  auto next = Browse(port, "GET / HTTP/1.1\r\n\r\n");
  EXPECT_EQ(Await(next), "HTTP/1.1 200 OK\r\n\r\n");
}

TEST(LoopbackListenerTest, GivingUpTellsOnceAndCloses) {
  WinLoopbackListener listener;
  int timeouts = 0;
  int port =
      listener.Start([](std::string_view) { return LoopbackAnswer{}; }, [&] { ++timeouts; }, 300);
  ASSERT_GT(port, 0);
  ASSERT_TRUE(test::PumpUntil([&] { return timeouts > 0; }, 10000));
  test::PumpFor(400);
  EXPECT_EQ(timeouts, 1);
  auto late = Browse(port, "GET /?code=c HTTP/1.1\r\n\r\n");
  EXPECT_EQ(Await(late), "(refused)");
}

TEST(LoopbackListenerTest, StoppingFromTheCallbackEndsEverything) {
  WinLoopbackListener listener;
  int timeouts = 0;
  int port = listener.Start(
      [&](std::string_view) {
        listener.Stop();
        return LoopbackAnswer{"HTTP/1.1 200 OK\r\n\r\nbye", false};
      },
      [&] { ++timeouts; }, 500);
  ASSERT_GT(port, 0);
  auto first = Browse(port, "GET / HTTP/1.1\r\n\r\n");
  EXPECT_EQ(Await(first), "HTTP/1.1 200 OK\r\n\r\nbye");
  test::PumpFor(800);
  EXPECT_EQ(timeouts, 0);
}

}  // namespace
}  // namespace postwink::win
