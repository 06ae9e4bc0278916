#include "win32/platform/winsock_transport.h"

#include <string>

#include "core/pop3/pop3_texts.h"
#include "core/pop3/send_text.h"

namespace postwink::win {
namespace {
// One byte short of the buffer, as Winsock programs keep room to terminate what they read.
constexpr int kReadSize = 0x8000 - 1;
}  // namespace

WinsockTransport::~WinsockTransport() {
  if (socket_ != INVALID_SOCKET) CloseConnection(static_cast<SocketHandle>(socket_));
}

ResolveResult WinsockTransport::ResolveHost(std::string_view name) {
  return ResolveWith(name, [](const std::string& host) -> uint32_t {
    unsigned long dotted = inet_addr(host.c_str());
    if (dotted != INADDR_NONE) return dotted;
    hostent* found = gethostbyname(host.c_str());
    if (found == nullptr || found->h_addrtype != AF_INET || found->h_addr_list == nullptr ||
        found->h_addr_list[0] == nullptr) {
      return 0;
    }
    in_addr first;
    memcpy(&first, found->h_addr_list[0], sizeof first);
    return first.s_addr;
  });
}

OpenResult WinsockTransport::OpenConnection(uint32_t address, int port) {
  OpenResult result;
  if (socket_ != INVALID_SOCKET) CloseConnection(static_cast<SocketHandle>(socket_));
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET) {
    result.error = texts::kSocketFailed;
    return result;
  }
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(static_cast<u_short>(port));
  peer.sin_addr.s_addr = address;
  if (WSAAsyncSelect(s, window_, WM_SOCKET_EVENT, kSocketEventMask) != 0) {
    closesocket(s);
    result.error = texts::kEventSetupFailed;
    return result;
  }
  if (connect(s, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0 &&
      WSAGetLastError() != WSAEWOULDBLOCK) {
    WSAAsyncSelect(s, window_, 0, 0);
    closesocket(s);
    result.error = texts::kConnectFailed;
    return result;
  }
  socket_ = s;
  splitter_.Reset();
  result.socket = static_cast<SocketHandle>(s);
  return result;
}

ReceiveStatus WinsockTransport::ReceiveLines(SocketHandle socket,
                                             const LineSplitter::LineReceiver& receiver) {
  if (socket_ == INVALID_SOCKET || static_cast<SocketHandle>(socket_) != socket) {
    return ReceiveStatus::kReadFailed;
  }
  if (buffer_.empty()) buffer_.resize(kReadSize + 1);
  int got = recv(socket_, buffer_.data(), kReadSize, 0);
  if (got <= 0) {
    return WSAGetLastError() == WSAEWOULDBLOCK ? ReceiveStatus::kHandled
                                               : ReceiveStatus::kReadFailed;
  }
  // The receiver of this read; the window's WM_SOCKET_LINE handler reaches it through
  // DeliverLine. A nested read (none is expected) keeps its own.
  const LineSplitter::LineReceiver* outer = receiver_;
  receiver_ = &receiver;
  HWND window = window_;
  ReceiveStatus status =
      splitter_.Feed(std::string_view(buffer_.data(), static_cast<size_t>(got)),
                     [this, window](std::string_view line) {
                       line_.assign(line);
                       return SendMessageW(window, WM_SOCKET_LINE, line_.size(),
                                           reinterpret_cast<LPARAM>(line_.c_str())) != 0;
                     });
  receiver_ = outer;
  return status;
}

LRESULT WinsockTransport::DeliverLine(WPARAM length, LPARAM text) {
  if (receiver_ == nullptr || text == 0) return 0;
  return (*receiver_)(std::string_view(reinterpret_cast<const char*>(text), length)) ? 1 : 0;
}

bool WinsockTransport::SendText(SocketHandle socket, std::string_view text) {
  if (socket_ == INVALID_SOCKET || static_cast<SocketHandle>(socket_) != socket) return false;
  SOCKET s = socket_;
  return postwink::SendText(text, [s](std::string_view chunk) -> std::optional<size_t> {
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(s, &writable);
    timeval wait{0, 50000};
    int ready = select(0, nullptr, &writable, nullptr, &wait);
    if (ready == SOCKET_ERROR) return std::nullopt;
    if (ready == 0) return 0;
    int sent = send(s, chunk.data(), static_cast<int>(chunk.size()), 0);
    if (sent == SOCKET_ERROR) {
      if (WSAGetLastError() == WSAEWOULDBLOCK) return 0;
      return std::nullopt;
    }
    return static_cast<size_t>(sent);
  });
}

void WinsockTransport::CloseConnection(SocketHandle socket) {
  if (socket_ == INVALID_SOCKET || static_cast<SocketHandle>(socket_) != socket) return;
  WSAAsyncSelect(socket_, window_, 0, 0);
  shutdown(socket_, SD_BOTH);
  closesocket(socket_);
  socket_ = INVALID_SOCKET;
  splitter_.Reset();
  std::vector<char>().swap(buffer_);
}

void DispatchSocketEvent(TransportEvents& owner, WPARAM wParam, LPARAM lParam) {
  owner.OnSocketEvent(static_cast<SocketHandle>(wParam),
                      static_cast<SocketEvent>(WSAGETSELECTEVENT(lParam)),
                      WSAGETSELECTERROR(lParam));
}

}  // namespace postwink::win
