#pragma once
// The fetch of an IMAP attachment being opened, on the window's thread without blocking it: a
// message-only window of its own receives its socket's events (the Winsock transport posts them
// as for a check) and a timer for the answer deadline. The done callback runs from the message
// loop once the part has arrived or the fetch failed; the object then destroys itself.

#include <functional>
#include <memory>
#include <string_view>

#include "core/check/attachment_fetch.h"
#include "core/config/account.h"
#include "win32/platform/winsock_transport.h"
#include "win32/wnd.h"

namespace postwink::win {

class AttachmentFetchWnd : public Wnd {
 public:
  using Done = std::function<void(AttachmentFetchResult)>;

  // Starts the fetch; false when its window could not be made (done is not called then). An
  // account that signs in with OAuth takes its access token from tokens (not owned).
  static bool Start(const Account& account, TokenProvider* tokens, const ImapPartRequest& request,
                    int64_t answerDeadlineMs, AttachmentFetch::LogSink log, Done done);

 protected:
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  explicit AttachmentFetchWnd(Done done) : done_(std::move(done)) {}

  WinsockTransport* transport_ = nullptr;  // owned by fetch_
  std::unique_ptr<AttachmentFetch> fetch_;
  AttachmentFetchResult result_;
  Done done_;
};

}  // namespace postwink::win
