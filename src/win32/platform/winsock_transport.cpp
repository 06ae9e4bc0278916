#include "win32/platform/winsock_transport.h"

#include <ws2tcpip.h>

#include <cstring>
#include <string>

#include "core/platform/system.h"
#include "core/pop3/pop3_texts.h"
#include "core/pop3/send_text.h"

namespace postwink::win {
namespace {
// One byte short of the buffer, as Winsock programs keep room to terminate what they read.
constexpr int kReadSize = 0x8000 - 1;
}  // namespace

std::vector<NetAddress> LookUpHost(const std::string& host) {
  std::vector<NetAddress> addresses;
  std::u16string wide = PlatformSystem().codePage.Widen(host);
  ADDRINFOW hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  ADDRINFOW* found = nullptr;
  if (GetAddrInfoW(reinterpret_cast<const wchar_t*>(wide.c_str()), nullptr, &hints, &found) != 0) {
    found = nullptr;
  }
  for (ADDRINFOW* a = found; a != nullptr; a = a->ai_next) {
    NetAddress address;
    if (a->ai_family == AF_INET) {
      memcpy(address.bytes.data(), &reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr, 4);
    } else if (a->ai_family == AF_INET6) {
      address.family = NetAddress::Family::kIPv6;
      memcpy(address.bytes.data(), &reinterpret_cast<const sockaddr_in6*>(a->ai_addr)->sin6_addr,
             16);
    } else {
      continue;
    }
    addresses.push_back(address);
  }
  if (found != nullptr) FreeAddrInfoW(found);
  return addresses;
}

WinsockTransport::WinsockTransport(HWND window, HostLookup lookup)
    : window_(window), lookup_(std::move(lookup)) {
  send_ = [this](std::string_view bytes) {
    SOCKET s = socket_;
    if (s == INVALID_SOCKET) return false;
    return postwink::SendText(bytes, [s](std::string_view chunk) -> std::optional<size_t> {
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
  };
}

WinsockTransport::~WinsockTransport() {
  if (socket_ != INVALID_SOCKET) CloseConnection(static_cast<SocketHandle>(socket_));
}

ResolveResult WinsockTransport::ResolveHost(std::string_view name) {
  return ResolveWith(name, lookup_);
}

OpenResult WinsockTransport::OpenConnection(const NetAddress& address, int port) {
  OpenResult result;
  if (socket_ != INVALID_SOCKET) CloseConnection(static_cast<SocketHandle>(socket_));
  bool v6 = address.family == NetAddress::Family::kIPv6;
  SOCKET s = socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET) {
    result.error = texts::kSocketFailed;
    return result;
  }
  // Commands are small and, pipelined, follow one another closely: each goes out at once.
  BOOL one = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  sockaddr_storage peer{};
  int length;
  if (v6) {
    auto* p = reinterpret_cast<sockaddr_in6*>(&peer);
    p->sin6_family = AF_INET6;
    p->sin6_port = htons(static_cast<u_short>(port));
    memcpy(&p->sin6_addr, address.bytes.data(), 16);
    length = sizeof *p;
  } else {
    auto* p = reinterpret_cast<sockaddr_in*>(&peer);
    p->sin_family = AF_INET;
    p->sin_port = htons(static_cast<u_short>(port));
    memcpy(&p->sin_addr, address.bytes.data(), 4);
    length = sizeof *p;
  }
  if (WSAAsyncSelect(s, window_, WM_SOCKET_EVENT, kSocketEventMask) != 0) {
    closesocket(s);
    result.error = texts::kEventSetupFailed;
    return result;
  }
  if (connect(s, reinterpret_cast<sockaddr*>(&peer), length) != 0 &&
      WSAGetLastError() != WSAEWOULDBLOCK) {
    WSAAsyncSelect(s, window_, 0, 0);
    closesocket(s);
    result.error = texts::kConnectFailed;
    return result;
  }
  socket_ = s;
  stream_.Reset();
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
      stream_.Receive(std::string_view(buffer_.data(), static_cast<size_t>(got)), send_,
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
  return stream_.Send(text, send_);
}

TlsFailure WinsockTransport::StartTls(SocketHandle socket, const TlsTarget& target) {
  if (socket_ == INVALID_SOCKET || static_cast<SocketHandle>(socket_) != socket) {
    return TlsFailure::kUnavailable;
  }
  TlsFailure failure;
  std::unique_ptr<TlsChannel> channel = MakeTlsChannel(target, failure);
  if (!channel) return failure;
  return stream_.StartTls(std::move(channel), send_);
}

void WinsockTransport::CloseConnection(SocketHandle socket) {
  if (socket_ == INVALID_SOCKET || static_cast<SocketHandle>(socket_) != socket) return;
  WSAAsyncSelect(socket_, window_, 0, 0);
  stream_.Close(send_);
  shutdown(socket_, SD_BOTH);
  closesocket(socket_);
  socket_ = INVALID_SOCKET;
  std::vector<char>().swap(buffer_);
}

void WinsockTransport::DispatchSocketEvent(TransportEvents& owner, WPARAM wParam, LPARAM lParam) {
  owner.OnSocketEvent(static_cast<SocketHandle>(wParam),
                      static_cast<SocketEvent>(WSAGETSELECTEVENT(lParam)),
                      WSAGETSELECTERROR(lParam));
}

}  // namespace postwink::win
