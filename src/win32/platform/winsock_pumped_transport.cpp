// The Winsock transport for postwink-cli, which has no window of its own: a message-only
// window receives the socket messages, and Pump runs its messages until the time is up.
#include <memory>

#include "core/check/headless_check_host.h"
#include "win32/platform/winsock_transport.h"

namespace postwink {
namespace {

class WinsockPumpedTransport : public PumpedTransport {
 public:
  WinsockPumpedTransport() : inner_(nullptr) {
    WSADATA wsa;
    started_ = WSAStartup(MAKEWORD(2, 2), &wsa) == 0;
    WNDCLASSW wc{};
    wc.lpfnWndProc = &WinsockPumpedTransport::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PostwinkSocketWindow";
    RegisterClassW(&wc);  // a second transport finds the class registered
    window_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              wc.hInstance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    inner_.SetWindow(window_);
  }
  ~WinsockPumpedTransport() override {
    inner_.CloseConnection(socket_);
    if (window_) DestroyWindow(window_);
    if (started_) WSACleanup();
  }
  WinsockPumpedTransport(const WinsockPumpedTransport&) = delete;
  WinsockPumpedTransport& operator=(const WinsockPumpedTransport&) = delete;

  ResolveResult ResolveHost(std::string_view name) override { return inner_.ResolveHost(name); }
  OpenResult OpenConnection(const NetAddress& address, int port) override {
    OpenResult result = inner_.OpenConnection(address, port);
    socket_ = result.socket;
    return result;
  }
  ReceiveStatus ReceiveLines(SocketHandle socket,
                             const LineSplitter::LineReceiver& receiver) override {
    return inner_.ReceiveLines(socket, receiver);
  }
  bool SendText(SocketHandle socket, std::string_view text) override {
    return inner_.SendText(socket, text);
  }
  void CloseConnection(SocketHandle socket) override {
    inner_.CloseConnection(socket);
    if (socket == socket_) socket_ = kNoSocket;
  }

  TlsFailure StartTls(SocketHandle socket, const TlsTarget& target) override {
    return inner_.StartTls(socket, target);
  }
  TlsFailure LastTlsFailure() const override { return inner_.LastTlsFailure(); }
  uint64_t ReceivedBytes() const override { return inner_.ReceivedBytes(); }

  bool HasConnection() const override { return socket_ != kNoSocket; }

  bool Pump(int timeoutMs, TransportEvents& owner) override {
    owner_ = &owner;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(timeoutMs), QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, window_, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    owner_ = nullptr;
    return true;
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<WinsockPumpedTransport*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && msg == win::WM_SOCKET_EVENT) {
      if (self->owner_ != nullptr) self->inner_.DispatchSocketEvent(*self->owner_, wParam, lParam);
      return 0;
    }
    if (self != nullptr && msg == win::WM_SOCKET_LINE)
      return self->inner_.DeliverLine(wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }

  bool started_ = false;
  HWND window_ = nullptr;
  win::WinsockTransport inner_;
  SocketHandle socket_ = kNoSocket;
  TransportEvents* owner_ = nullptr;
};

}  // namespace

std::unique_ptr<PumpedTransport> MakePlatformTransport() {
  return std::make_unique<WinsockPumpedTransport>();
}

}  // namespace postwink
