#include "win32/platform/window_thread_queue.h"

#include <utility>

#include "win32/platform/message_window.h"

namespace postwink::win {
namespace {

constexpr UINT kWake = WM_APP + 1;
constexpr wchar_t kClassName[] = L"PostwinkWindowThreadQueue";

LRESULT CALLBACK QueueProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kWake) return DefWindowProcW(window, message, wParam, lParam);
  auto* state = reinterpret_cast<WindowThreadQueueState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (state == nullptr) return 0;
  std::deque<std::function<void()>> work;
  {
    std::lock_guard<std::mutex> lock(state->mutex);
    work.swap(state->pending);
  }
  // A function may end the queue's owner, and with it the state: nothing of it is used below.
  for (auto& f : work) f();
  return 0;
}

}  // namespace

bool WindowThreadPoster::Post(std::function<void()> work) const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  if (state_->window == nullptr) return false;
  bool wake = state_->pending.empty();
  state_->pending.push_back(std::move(work));
  if (wake) PostMessageW(state_->window, kWake, 0, 0);
  return true;
}

WindowThreadQueue::WindowThreadQueue() : state_(std::make_shared<WindowThreadQueueState>()) {
  state_->window = CreateMessageWindow(kClassName, QueueProc, state_.get());
}

WindowThreadQueue::~WindowThreadQueue() {
  HWND window;
  std::deque<std::function<void()>> dropped;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    window = std::exchange(state_->window, nullptr);
    dropped.swap(state_->pending);
  }
  if (window != nullptr) DestroyWindow(window);
}

}  // namespace postwink::win
