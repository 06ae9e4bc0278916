#pragma once
// The browser's redirect at the end of a sign-in, received on 127.0.0.1 on the window's thread:
// the sockets report to a message-only window (WSAAsyncSelect), so nothing blocks and no
// thread is needed. The core reads each request's head and writes the page.

#include <map>
#include <string>

#include "core/oauth/oauth_platform.h"
#include "win32/platform/windows_headers.h"

namespace postwink::win {

// A browser that connects and then sends its request slower than this is dropped.
inline constexpr int kRedirectRequestMs = 10000;

class WinLoopbackListener : public LoopbackListener {
 public:
  WinLoopbackListener();  // on the window's thread
  ~WinLoopbackListener() override;
  WinLoopbackListener(const WinLoopbackListener&) = delete;
  WinLoopbackListener& operator=(const WinLoopbackListener&) = delete;

  int Start(std::function<LoopbackAnswer(std::string_view requestHead)> onRequest,
            std::function<void()> onTimeout, int timeoutMs) override;
  void Stop() override;

 private:
  struct Connection {
    std::string received;
    DWORD since = 0;
  };
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnSocket(SOCKET socket, int event, int error);
  void OnRead(SOCKET socket);
  void Drop(SOCKET socket);
  void DropSlow();

  HWND window_ = nullptr;
  bool winsock_ = false;
  SOCKET listener_ = INVALID_SOCKET;
  std::map<SOCKET, Connection> connections_;
  std::function<LoopbackAnswer(std::string_view)> onRequest_;
  std::function<void()> onTimeout_;
  // Changes at every Start and Stop, so that a callback that stopped or restarted the
  // listener is noticed by the code that called it.
  unsigned run_ = 0;
};

}  // namespace postwink::win
