// The token request through WinHTTP against a loopback HTTP server: what goes out, what comes
// back, and the bounds on size and time.
#include "win32/platform/winhttp_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "core/net/net_texts.h"
#include "loopback_http_server.h"
#include "win32/platform/oauth_texts_win32.h"
#include "window_test_support.h"

namespace postwink::win {
namespace {

using test::LoopbackHttpServer;

std::string Url(const LoopbackHttpServer& server, const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(server.port()) + path;
}

TEST(WinHttpClientTest, PostsTheFormAndReturnsStatusAndBody) {
  const std::string json = R"({"access_token":"at","expires_in":3600})";
  LoopbackHttpServer server(
      "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
      std::to_string(json.size()) + "\r\n\r\n" + json);
  HttpsAnswer answer = PostAndWait({Url(server, "/token?tenant=x"), "grant_type=a&code=b"});
  EXPECT_EQ(answer.error, "");
  EXPECT_EQ(answer.status, 200);
  EXPECT_EQ(answer.body, json);
  EXPECT_FALSE(answer.tooLarge);
  std::string seen = server.Received();
  EXPECT_EQ(seen.rfind("POST /token?tenant=x HTTP/1.1\r\n", 0), 0u) << seen;
  EXPECT_NE(seen.find("Content-Type: application/x-www-form-urlencoded\r\n"), std::string::npos);
  EXPECT_EQ(seen.substr(seen.find("\r\n\r\n") + 4), "grant_type=a&code=b");
}

TEST(WinHttpClientTest, ErrorStatusAndRedirectionComeBackUnfollowed) {
  for (const char* head : {"HTTP/1.1 400 Bad Request", "HTTP/1.1 302 Found\r\nLocation: /other"}) {
    const std::string body = R"({"error":"invalid_grant"})";
    LoopbackHttpServer server(std::string(head) + "\r\nContent-Length: " +
                              std::to_string(body.size()) + "\r\n\r\n" + body);
    HttpsAnswer answer = PostAndWait({Url(server, "/token"), "a=b"});
    EXPECT_EQ(answer.status, std::stoi(std::string(head).substr(9))) << head;
    EXPECT_EQ(answer.body, body) << head;
  }
}

TEST(WinHttpClientTest, AHugeBodyIsCutAtTheBound) {
  const size_t huge = 4u << 20;
  LoopbackHttpServer server("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(huge) +
                            "\r\n\r\n" + std::string(huge, 'x'));
  HttpsPost request{Url(server, "/token"), "a=b"};
  request.maxResponseBytes = 1000;
  HttpsAnswer answer = PostAndWait(request);
  EXPECT_TRUE(answer.tooLarge);
  EXPECT_EQ(answer.body.size(), 1000u);
}

TEST(WinHttpClientTest, ASilentServerTimesOutWithinTheBudget) {
  LoopbackHttpServer server("");
  HttpsPost request{Url(server, "/token"), "a=b"};
  request.timeoutMs = 800;
  auto start = std::chrono::steady_clock::now();
  HttpsAnswer answer = PostAndWait(request);
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(answer.status, 0);
  EXPECT_EQ(answer.error, texts::kTooSlow);
  EXPECT_LT(took, std::chrono::milliseconds(4000));
}

TEST(WinHttpClientTest, AddressesOutsideHttpsOrLoopbackAreRefusedUnsent) {
  for (const char* url :
       {"", "http://mail.example.com/token", "ftp://127.0.0.1/token", "token", "https://"}) {
    HttpsAnswer answer = PostAndWait({url, "code=secret"});
    EXPECT_EQ(answer.status, 0) << url;
    EXPECT_EQ(answer.error, texts::kHttpsAddressInvalid) << url;
  }
}

TEST(WinHttpClientTest, NoServerIsAConnectionFailure) {
  int port;
  {
    LoopbackHttpServer gone("x");
    port = gone.port();
    PostAndWait({Url(gone, "/"), ""});  // lets the server's one connection end
  }
  HttpsAnswer answer = PostAndWait({"http://127.0.0.1:" + std::to_string(port) + "/token", "a"});
  EXPECT_EQ(answer.error, texts::kHttpsUnreachable);
}

TEST(WinHttpClientTest, HttpsToAPlainServerFailsBeforeTheBodyIsSent) {
  LoopbackHttpServer server("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
  HttpsPost request{"https://127.0.0.1:" + std::to_string(server.port()) + "/token",
                    "code_verifier=SECRETVERIFIER"};
  request.timeoutMs = 5000;
  HttpsAnswer answer = PostAndWait(request);
  EXPECT_EQ(answer.status, 0);
  EXPECT_NE(answer.error, "");
  EXPECT_EQ(server.Received().find("SECRETVERIFIER"), std::string::npos);
}

TEST(WinHttpClientTest, TheAnswerArrivesOnTheWindowThread) {
  LoopbackHttpServer server("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n{}");
  WindowThreadQueue queue;
  WinHttpClient client(queue.Poster());
  DWORD caller = GetCurrentThreadId();
  DWORD calledOn = 0;
  int calls = 0;
  HttpsAnswer got;
  client.Post({Url(server, "/token"), "a=b"}, [&](HttpsAnswer answer) {
    calledOn = GetCurrentThreadId();
    ++calls;
    got = std::move(answer);
  });
  ASSERT_TRUE(test::PumpUntil([&] { return calls > 0; }, 10000));
  test::PumpFor(50);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(calledOn, caller);
  EXPECT_EQ(got.status, 200);
  EXPECT_EQ(got.body, "{}");
}

}  // namespace
}  // namespace postwink::win
