#pragma once
// Fakes of the platform's OAuth services: requests and commands are held until the test answers
// them, as the real ones answer later on the engine's thread.

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/oauth/oauth_platform.h"

namespace postwink::testing {

class FakeHttps : public HttpsClient {
 public:
  struct Pending {
    HttpsPost request;
    std::function<void(HttpsAnswer)> done;
  };
  void Post(const HttpsPost& request, std::function<void(HttpsAnswer)> done) override {
    posts.push_back(request);
    pending.push_back({request, std::move(done)});
  }
  // Answers the oldest request.
  void Answer(int status, std::string body) {
    Pending p = std::move(pending.front());
    pending.pop_front();
    HttpsAnswer answer;
    answer.status = status;
    answer.body = std::move(body);
    p.done(answer);
  }
  std::vector<HttpsPost> posts;
  std::deque<Pending> pending;
};

class FakeStore : public RefreshTokenStore {
 public:
  std::optional<std::string> Load(const std::string& key) override {
    auto it = tokens.find(key);
    if (it == tokens.end()) return std::nullopt;
    return it->second;
  }
  bool Save(const std::string& key, std::string_view token) override {
    if (failSaves) return false;
    tokens[key] = std::string(token);
    return true;
  }
  bool Erase(const std::string& key) override { return tokens.erase(key) > 0; }
  std::map<std::string, std::string> tokens;
  bool failSaves = false;
};

class FakeCommands : public TokenCommandRunner {
 public:
  void Run(const std::string& command, int, size_t,
           std::function<void(CommandOutput)> done) override {
    commands.push_back(command);
    if (immediate) {
      done(*immediate);
      return;
    }
    pending.push_back(std::move(done));
  }
  std::vector<std::string> commands;
  std::deque<std::function<void(CommandOutput)>> pending;
  std::optional<CommandOutput> immediate;
};

class FakeListener : public LoopbackListener {
 public:
  int Start(std::function<LoopbackAnswer(std::string_view)> request, std::function<void()> timeout,
            int) override {
    onRequest = std::move(request);
    onTimeout = std::move(timeout);
    listening = true;
    return port;
  }
  void Stop() override { listening = false; }
  // The browser's request: its answer, and the listener closes when it says finished.
  LoopbackAnswer Get(const std::string& target) {
    LoopbackAnswer answer = onRequest("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    if (answer.finished) listening = false;
    return answer;
  }
  std::function<LoopbackAnswer(std::string_view)> onRequest;
  std::function<void()> onTimeout;
  bool listening = false;
  int port = 50123;
};

class FakeBrowser : public Browser {
 public:
  bool Open(const std::string& url) override {
    opened.push_back(url);
    return works;
  }
  std::vector<std::string> opened;
  bool works = true;
};

// Counts up from a given byte, or fails.
class FakeSecureRandom : public SecureRandom {
 public:
  bool Fill(std::span<uint8_t> bytes) override {
    if (fails) return false;
    for (uint8_t& b : bytes) b = next++;
    return true;
  }
  uint8_t next = 1;
  bool fails = false;
};

struct FakeOAuthPlatform {
  FakeHttps https;
  FakeStore store;
  FakeCommands commands;
  FakeSecureRandom random;
  FakeListener listener;
  FakeBrowser browser;
  OAuthPlatform platform{https, store, commands, random, &listener, &browser};
};

}  // namespace postwink::testing
