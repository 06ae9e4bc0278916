#pragma once
// The OAuth platform services on POSIX, for postwink-cli. They work synchronously: each call
// ends (and has called back) before it returns, which the single-threaded command line wants.

#include <string>

#include "core/oauth/oauth_platform.h"

namespace postwink {

// HTTPS through libcurl: certificates checked against the trust store the mail connections use
// (SSL_CERT_FILE when set), no redirections followed, http:// only to loopback addresses.
class CurlHttpsClient : public HttpsClient {
 public:
  void Post(const HttpsPost& request, std::function<void(HttpsAnswer)> done) override;
};

// One file per key, mode 0600, in a folder of mode 0700: $XDG_STATE_HOME/postwink/oauth (or
// ~/.local/state/postwink/oauth). The file's name is the SHA-256 of the key.
class FileRefreshTokenStore : public RefreshTokenStore {
 public:
  // folder: where the files go; empty for the default.
  explicit FileRefreshTokenStore(std::string folder = {});
  std::optional<std::string> Load(const std::string& key) override;
  bool Save(const std::string& key, std::string_view refreshToken) override;
  bool Erase(const std::string& key) override;
  std::string PathFor(const std::string& key) const;
  static std::string DefaultFolder();

 private:
  std::string folder_;
};

// "/bin/sh -c COMMAND", its standard output read through a pipe; ended (its process group
// killed) at the time-out.
class ShellCommandRunner : public TokenCommandRunner {
 public:
  void Run(const std::string& command, int timeoutMs, size_t maxBytes,
           std::function<void(CommandOutput)> done) override;
};

// The browser command is run through the shell with the address as "$1" (so the address is
// never parsed by the shell), without waiting for it.
class CommandBrowser : public Browser {
 public:
  explicit CommandBrowser(std::string command) : command_(std::move(command)) {}
  bool Open(const std::string& url) override;

 private:
  std::string command_;
};

// Listens on 127.0.0.1; Serve runs the wait until an answer finishes it or the time runs out.
class PosixLoopbackListener : public LoopbackListener {
 public:
  ~PosixLoopbackListener() override;
  int Start(std::function<LoopbackAnswer(std::string_view)> onRequest,
            std::function<void()> onTimeout, int timeoutMs) override;
  void Stop() override;
  // Returns when the sign-in is over (or Stop was called from a callback).
  void Serve();

 private:
  int socket_ = -1;
  int timeoutMs_ = 0;
  std::function<LoopbackAnswer(std::string_view)> onRequest_;
  std::function<void()> onTimeout_;
};

class DevRandom : public SecureRandom {
 public:
  bool Fill(std::span<uint8_t> bytes) override;
};

}  // namespace postwink
