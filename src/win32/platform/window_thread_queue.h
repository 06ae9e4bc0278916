#pragma once
// Brings work from worker threads back to the thread that made the queue (the window's thread,
// where the check engine lives): a message-only window runs the posted functions when woken.
// What is posted after the queue is gone is dropped, so a worker never needs to know whether
// the window still exists, and nothing posted is leaked when the window goes first.

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

// Not windows_headers.h: its WinINet header and WinHTTP's cannot meet in one file.
// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on

namespace postwink::win {

struct WindowThreadQueueState {
  std::mutex mutex;
  HWND window = nullptr;  // null once the queue is gone
  std::deque<std::function<void()>> pending;
};

// What a worker keeps: posting is safe from any thread, at any time.
class WindowThreadPoster {
 public:
  explicit WindowThreadPoster(std::shared_ptr<WindowThreadQueueState> state)
      : state_(std::move(state)) {}
  // False when the queue is gone (the function is then dropped unrun).
  bool Post(std::function<void()> work) const;

 private:
  std::shared_ptr<WindowThreadQueueState> state_;
};

class WindowThreadQueue {
 public:
  WindowThreadQueue();  // on the thread that is to run the work
  ~WindowThreadQueue();
  WindowThreadQueue(const WindowThreadQueue&) = delete;
  WindowThreadQueue& operator=(const WindowThreadQueue&) = delete;

  WindowThreadPoster Poster() const { return WindowThreadPoster(state_); }

 private:
  std::shared_ptr<WindowThreadQueueState> state_;
};

// Runs work on a thread of its own and hands its result to done on the queue's thread; memory
// running out in the work gives outOfMemory instead. Nothing leaves the thread: an escaping
// exception would end the whole program.
template <typename Result>
void RunOffThread(const WindowThreadPoster& poster, std::function<Result()> work,
                  std::function<void(Result)> done, Result outOfMemory) {
  std::thread([poster, work = std::move(work), done = std::move(done),
               result = std::move(outOfMemory)]() mutable {
    try {
      try {
        result = work();
      } catch (const std::bad_alloc&) {
      }
      poster.Post([done = std::move(done), result = std::move(result)]() mutable {
        done(std::move(result));
      });
    } catch (...) {
    }
  }).detach();
}

}  // namespace postwink::win
