#pragma once
// The token endpoint's HTTPS POST through WinHTTP, on a worker thread; the answer comes back on
// the window's thread through the queue.

#include "core/oauth/oauth_platform.h"
#include "win32/platform/window_thread_queue.h"

namespace postwink::win {

// The whole request, blocking: bounded by request.timeoutMs overall and by
// request.maxResponseBytes of body. The server's certificate is checked as the mail
// connections' are before the body (which carries codes and secrets) is sent.
HttpsAnswer PostAndWait(const HttpsPost& request);

class WinHttpClient : public HttpsClient {
 public:
  explicit WinHttpClient(WindowThreadPoster poster) : poster_(std::move(poster)) {}
  void Post(const HttpsPost& request, std::function<void(HttpsAnswer)> done) override;

 private:
  WindowThreadPoster poster_;
};

}  // namespace postwink::win
