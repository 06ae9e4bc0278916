#pragma once
// A one-connection HTTP server on a free loopback port for the sign-in's platform tests: it
// reads what the client sends (a request with its body, or the first bytes of a TLS handshake),
// answers with a fixed text, or answers nothing while held.

#include <winsock2.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace postwink::win::test {

class LoopbackHttpServer {
 public:
  // answer: what to send once the request's head and Content-Length body are in; empty means
  // keep the connection open without a word until the server ends.
  explicit LoopbackHttpServer(std::string answer) : answer_(std::move(answer)) {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(listener_, 1);
    int len = sizeof a;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~LoopbackHttpServer() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ending_ = true;
    }
    ended_.notify_all();
    closesocket(listener_);
    thread_.join();
    WSACleanup();
  }

  int port() const { return port_; }
  std::string Received() {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
  }

 private:
  void Serve() {
    SOCKET s = accept(listener_, nullptr, nullptr);
    if (s == INVALID_SOCKET) return;
    char buffer[4096];
    for (;;) {
      std::string got = Received();
      // A TLS handshake gets its (plain) answer at once.
      if (!got.empty() && got[0] == '\x16') break;
      size_t head = got.find("\r\n\r\n");
      if (head != std::string::npos) {
        size_t length = 0;
        size_t field = got.find("Content-Length: ");
        if (field != std::string::npos && field < head) length = std::stoul(got.substr(field + 16));
        if (got.size() >= head + 4 + length) break;
      }
      int n = recv(s, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      std::lock_guard<std::mutex> lock(mutex_);
      received_.append(buffer, n);
    }
    // Sent without blocking, so that a client that stopped reading cannot hold the test up.
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    size_t sent = 0;
    while (sent < answer_.size()) {
      int n = send(s, answer_.data() + sent, static_cast<int>(answer_.size() - sent), 0);
      if (n > 0) {
        sent += static_cast<size_t>(n);
        continue;
      }
      if (WSAGetLastError() != WSAEWOULDBLOCK) break;
      std::unique_lock<std::mutex> lock(mutex_);
      if (ended_.wait_for(lock, std::chrono::milliseconds(20), [this] { return ending_; })) break;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    if (answer_.empty()) ended_.wait(lock, [this] { return ending_; });
    lock.unlock();
    closesocket(s);
  }

  std::string answer_;
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::mutex mutex_;
  std::condition_variable ended_;
  bool ending_ = false;
  std::string received_;
  std::thread thread_;
};

}  // namespace postwink::win::test
