#pragma once
// What OAuth 2.0 sign-in needs from the operating system: HTTPS requests, a private store for
// refresh tokens, a loopback listener for the browser's redirect, the user's token command, the
// browser and a cryptographic random source. Windows implements them with WinHTTP, DPAPI and
// Winsock off the window's thread; POSIX with libcurl, a private file and poll; the tests with
// fakes. Every callback is made on the thread that owns the check engine (the window's thread on
// Windows), never on a worker, and may come before the starting call has returned.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace postwink {

// A token endpoint answers in a few hundred bytes; anything far beyond is not one.
inline constexpr size_t kMaxTokenResponseBytes = 64u << 10;
inline constexpr int kTokenRequestTimeoutMs = 30000;

struct HttpsPost {
  // https://, or http:// to a loopback address (a local proxy, the tests); the platform refuses
  // anything else. Certificates are checked as for the mail connections.
  std::string url;
  // application/x-www-form-urlencoded.
  std::string formBody;
  size_t maxResponseBytes = kMaxTokenResponseBytes;
  int timeoutMs = kTokenRequestTimeoutMs;
};

struct HttpsAnswer {
  // The HTTP status; 0 when no answer came (then error says why).
  int status = 0;
  // At most maxResponseBytes of the body.
  std::string body = {};
  // The body went on past maxResponseBytes and was cut off.
  bool tooLarge = false;
  // A transport failure for the user (time-out, certificate, refused connection); empty when an
  // answer came.
  std::string error = {};
};

class HttpsClient {
 public:
  virtual ~HttpsClient() = default;
  // Sends the POST without following redirections; done is called exactly once.
  virtual void Post(const HttpsPost& request, std::function<void(HttpsAnswer)> done) = 0;
};

// Refresh tokens, one per key (TokenStoreKey), readable only by the user: encrypted for the
// user on Windows, a file of mode 0600 on POSIX. Never the settings file.
class RefreshTokenStore {
 public:
  virtual ~RefreshTokenStore() = default;
  virtual std::optional<std::string> Load(const std::string& key) = 0;
  virtual bool Save(const std::string& key, std::string_view refreshToken) = 0;
  virtual bool Erase(const std::string& key) = 0;
};

// The browser's request as the core answers it: the complete HTTP response to write back, and
// whether the sign-in is over (the listener then closes).
struct LoopbackAnswer {
  std::string response;
  bool finished = false;
};

// Listens on 127.0.0.1 at a port the system picks. The platform owns the socket and reads each
// request's head (up to its blank line, at most kMaxRedirectRequestBytes; a longer or slower one
// is dropped); the core parses it (ParseRedirectRequest) and builds the page (RedirectAnswer).
class LoopbackListener {
 public:
  virtual ~LoopbackListener() = default;
  // The port listened on, or 0 when no socket could be had. onRequest is called for each
  // request; onTimeout once when timeoutMs pass without a finishing answer, after which the
  // listener is closed.
  virtual int Start(std::function<LoopbackAnswer(std::string_view requestHead)> onRequest,
                    std::function<void()> onTimeout, int timeoutMs) = 0;
  // Closes the socket; no callback comes after it.
  virtual void Stop() = 0;
};

struct CommandOutput {
  bool ok = false;
  // The first line of the command's standard output, without its line end.
  std::string firstLine = {};
  // Why it failed (did not start, exit status, time-out, no output), for the user.
  std::string error = {};
};

inline constexpr int kTokenCommandTimeoutMs = 30000;
inline constexpr size_t kMaxTokenCommandBytes = 16u << 10;

// Runs OAUTH_TOKEN_COMMAND: through the shell on POSIX, without a console window on Windows.
// Reads at most maxBytes of its output and ends it after timeoutMs; done is called once.
class TokenCommandRunner {
 public:
  virtual ~TokenCommandRunner() = default;
  virtual void Run(const std::string& command, int timeoutMs, size_t maxBytes,
                   std::function<void(CommandOutput)> done) = 0;
};

class Browser {
 public:
  virtual ~Browser() = default;
  // Opens the address in the user's browser (or the configured browser command); false when
  // nothing could be started.
  virtual bool Open(const std::string& url) = 0;
};

class SecureRandom {
 public:
  virtual ~SecureRandom() = default;
  // Fills the bytes from the system's cryptographic source; false when it failed.
  virtual bool Fill(std::span<uint8_t> bytes) = 0;
};

// What the platform hands to the token provider. The listener and the browser are absent where
// no interactive sign-in can happen.
struct OAuthPlatform {
  HttpsClient& https;
  RefreshTokenStore& store;
  TokenCommandRunner& commands;
  SecureRandom& random;
  LoopbackListener* listener = nullptr;
  Browser* browser = nullptr;
};

}  // namespace postwink
