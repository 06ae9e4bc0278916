#include "win32/list/attachment_fetch_wnd.h"

#include <utility>
#include <vector>

namespace postwink::win {
namespace {

constexpr UINT WM_FETCH_DONE = WM_APP + 0x31;
constexpr UINT_PTR kDeadlineTimer = 1;
constexpr UINT kDeadlineTickMs = 500;

// The fetches running; each leaves once it has ended, its window with it.
std::vector<std::unique_ptr<AttachmentFetchWnd>>& Running() {
  static std::vector<std::unique_ptr<AttachmentFetchWnd>> running;
  return running;
}

}  // namespace

bool AttachmentFetchWnd::Start(const Account& account, TokenProvider* tokens,
                               const ImapPartRequest& request, int64_t answerDeadlineMs,
                               AttachmentFetch::LogSink log, Done done) {
  std::unique_ptr<AttachmentFetchWnd> self(new AttachmentFetchWnd(std::move(done)));
  WindowArgs args;
  args.className = L"PostwinkAttachmentFetch";
  args.parent = HWND_MESSAGE;
  args.style = 0;
  if (!self->CreateWindowFrom(args)) return false;
  auto transport = std::make_unique<WinsockTransport>(self->hwnd());
  self->transport_ = transport.get();
  AttachmentFetchWnd* raw = self.get();
  self->fetch_ = std::make_unique<AttachmentFetch>(
      std::move(transport), account, tokens, request, answerDeadlineMs,
      [] { return static_cast<int64_t>(GetTickCount64()); }, std::move(log),
      [raw](AttachmentFetchResult result) {
        // Told from inside the transport's own calls: the rest runs once they have unwound.
        raw->result_ = std::move(result);
        PostMessageW(raw->hwnd(), WM_FETCH_DONE, 0, 0);
      });
  SetTimer(self->hwnd(), kDeadlineTimer, kDeadlineTickMs, nullptr);
  Running().push_back(std::move(self));
  raw->fetch_->Start();
  return true;
}

std::optional<LRESULT> AttachmentFetchWnd::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SOCKET_EVENT:
      if (fetch_ && !fetch_->Finished()) transport_->DispatchSocketEvent(*fetch_, wParam, lParam);
      return 0;
    case WM_SOCKET_LINE:
      return transport_ ? transport_->DeliverLine(wParam, lParam) : 0;
    case WM_TIMER:
      if (wParam == kDeadlineTimer && fetch_) fetch_->Tick();
      return 0;
    case WM_FETCH_DONE: {
      KillTimer(hwnd(), kDeadlineTimer);
      Done done = std::move(done_);
      AttachmentFetchResult result = std::move(result_);
      // The window and the connection go before the dialog runs its own message loop; this
      // object is gone after it.
      std::vector<std::unique_ptr<AttachmentFetchWnd>>& running = Running();
      std::unique_ptr<AttachmentFetchWnd> self;
      for (auto it = running.begin(); it != running.end(); ++it) {
        if (it->get() != this) continue;
        self = std::move(*it);
        running.erase(it);
        break;
      }
      self.reset();
      if (done) done(std::move(result));
      return 0;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace postwink::win
