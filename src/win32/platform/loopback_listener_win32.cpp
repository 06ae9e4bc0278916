#include "win32/platform/loopback_listener_win32.h"

#include <utility>
#include <vector>

#include "core/oauth/redirect_request.h"
#include "win32/platform/message_window.h"

namespace postwink::win {
namespace {

constexpr UINT kSocketMessage = WM_APP + 1;
constexpr UINT_PTR kGiveUpTimer = 1;
constexpr UINT_PTR kSweepTimer = 2;
constexpr wchar_t kClassName[] = L"PostwinkLoopbackListener";

}  // namespace

WinLoopbackListener::WinLoopbackListener() {
  window_ = CreateMessageWindow(kClassName, Proc, this);
  WSADATA wsa;
  winsock_ = WSAStartup(MAKEWORD(2, 2), &wsa) == 0;
}

WinLoopbackListener::~WinLoopbackListener() {
  Stop();
  if (window_ != nullptr) DestroyWindow(window_);
  if (winsock_) WSACleanup();
}

int WinLoopbackListener::Start(std::function<LoopbackAnswer(std::string_view)> onRequest,
                               std::function<void()> onTimeout, int timeoutMs) {
  Stop();
  if (window_ == nullptr || !winsock_) return 0;
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener_ == INVALID_SOCKET) return 0;
  // Only this machine may answer, and no other program may take the port over.
  BOOL exclusive = TRUE;
  setsockopt(listener_, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
             sizeof exclusive);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, 4) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
      WSAAsyncSelect(listener_, window_, kSocketMessage, FD_ACCEPT) != 0) {
    Stop();
    return 0;
  }
  onRequest_ = std::move(onRequest);
  onTimeout_ = std::move(onTimeout);
  SetTimer(window_, kGiveUpTimer, static_cast<UINT>(timeoutMs > 0 ? timeoutMs : 1), nullptr);
  SetTimer(window_, kSweepTimer, 1000, nullptr);
  return ntohs(address.sin_port);
}

void WinLoopbackListener::Stop() {
  ++run_;
  if (window_ != nullptr) {
    KillTimer(window_, kGiveUpTimer);
    KillTimer(window_, kSweepTimer);
  }
  for (auto& [socket, connection] : connections_) closesocket(socket);
  connections_.clear();
  if (listener_ != INVALID_SOCKET) closesocket(std::exchange(listener_, INVALID_SOCKET));
  onRequest_ = nullptr;
  onTimeout_ = nullptr;
}

LRESULT CALLBACK WinLoopbackListener::Proc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  auto* self = reinterpret_cast<WinLoopbackListener*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  if (message == kSocketMessage) {
    self->OnSocket(static_cast<SOCKET>(wParam), WSAGETSELECTEVENT(lParam),
                   WSAGETSELECTERROR(lParam));
    return 0;
  }
  if (message == WM_TIMER && wParam == kGiveUpTimer) {
    std::function<void()> onTimeout = std::move(self->onTimeout_);
    self->Stop();
    if (onTimeout) onTimeout();
    return 0;
  }
  if (message == WM_TIMER && wParam == kSweepTimer) {
    self->DropSlow();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void WinLoopbackListener::OnSocket(SOCKET socket, int event, int error) {
  if (event == FD_ACCEPT) {
    if (socket != listener_) return;
    SOCKET accepted = accept(listener_, nullptr, nullptr);
    if (accepted == INVALID_SOCKET) return;
    if (WSAAsyncSelect(accepted, window_, kSocketMessage, FD_READ | FD_CLOSE) != 0) {
      closesocket(accepted);
      return;
    }
    connections_[accepted].since = GetTickCount();
    return;
  }
  if (connections_.count(socket) == 0) return;  // a message left from a closed socket
  if (event == FD_READ && error == 0) {
    OnRead(socket);
  } else {
    Drop(socket);
  }
}

void WinLoopbackListener::OnRead(SOCKET socket) {
  Connection& connection = connections_[socket];
  char piece[4096];
  int got = recv(socket, piece, sizeof piece, 0);
  if (got <= 0) {
    if (got == 0 || WSAGetLastError() != WSAEWOULDBLOCK) Drop(socket);
    return;
  }
  connection.received.append(piece, static_cast<size_t>(got));
  size_t end = connection.received.find("\r\n\r\n");
  if (end == std::string::npos) {
    if (connection.received.size() > kMaxRedirectRequestBytes) Drop(socket);
    return;
  }
  if (end + 4 > kMaxRedirectRequestBytes) {
    Drop(socket);
    return;
  }
  std::string head = connection.received.substr(0, end + 4);
  // The connection leaves the set first: the page reaches the browser even when the callback
  // stops the listener.
  connections_.erase(socket);
  unsigned run = run_;
  LoopbackAnswer answer = onRequest_(head);
  // The page is small: it fits in the socket's buffer in one send.
  send(socket, answer.response.data(), static_cast<int>(answer.response.size()), 0);
  shutdown(socket, SD_SEND);
  closesocket(socket);
  // A callback that stopped or restarted the listener has had its say.
  if (answer.finished && run == run_) Stop();
}

void WinLoopbackListener::Drop(SOCKET socket) {
  closesocket(socket);
  connections_.erase(socket);
}

void WinLoopbackListener::DropSlow() {
  std::vector<SOCKET> slow;
  DWORD now = GetTickCount();
  for (const auto& [socket, connection] : connections_) {
    if (now - connection.since > static_cast<DWORD>(kRedirectRequestMs)) slow.push_back(socket);
  }
  for (SOCKET socket : slow) Drop(socket);
}

}  // namespace postwink::win
