#pragma once
// OAUTH_TOKEN_COMMAND on Windows: run through the command interpreter without a console
// window, on a worker thread; the first line of its output comes back on the window's thread.

#include "core/oauth/oauth_platform.h"
#include "win32/platform/window_thread_queue.h"

namespace postwink::win {

// The whole run, blocking: at most timeoutMs (then the command and whatever it started are
// ended) and maxBytes of output.
CommandOutput RunTokenCommand(const std::string& command, int timeoutMs, size_t maxBytes);

class WinTokenCommandRunner : public TokenCommandRunner {
 public:
  explicit WinTokenCommandRunner(WindowThreadPoster poster) : poster_(std::move(poster)) {}
  void Run(const std::string& command, int timeoutMs, size_t maxBytes,
           std::function<void(CommandOutput)> done) override;

 private:
  WindowThreadPoster poster_;
};

}  // namespace postwink::win
