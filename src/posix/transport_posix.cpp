#include "posix/transport_posix.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>

#include "core/pop3/pop3_texts.h"
#include "core/pop3/send_text.h"

namespace postwink {
namespace {
constexpr size_t kReadSize = 64 * 1024;
}  // namespace

PosixTransport::PosixTransport() : buffer_(kReadSize) {
  send_ = [this](std::string_view bytes) {
    int fd = fd_;
    if (fd < 0) return false;
    // Commands are short and the socket is nearly always writable: try at once, and wait for
    // room only when the kernel has none.
    return postwink::SendText(bytes, [fd](std::string_view chunk) -> std::optional<size_t> {
      ssize_t sent = ::send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL);
      if (sent >= 0) return static_cast<size_t>(sent);
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return std::nullopt;
      pollfd p{fd, POLLOUT, 0};
      if (::poll(&p, 1, 50) < 0 && errno != EINTR) return std::nullopt;
      return 0;
    });
  };
}

PosixTransport::~PosixTransport() {
  if (fd_ >= 0) ::close(fd_);
}

ResolveResult PosixTransport::ResolveHost(std::string_view name) {
  return ResolveWith(name, [](const std::string& host) {
    std::vector<NetAddress> addresses;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) found = nullptr;
    for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
      NetAddress address;
      if (a->ai_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
        std::memcpy(address.bytes.data(), &v4->sin_addr, 4);
      } else if (a->ai_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(a->ai_addr);
        address.family = NetAddress::Family::kIPv6;
        std::memcpy(address.bytes.data(), &v6->sin6_addr, 16);
      } else {
        continue;
      }
      addresses.push_back(address);
    }
    if (found != nullptr) ::freeaddrinfo(found);
    return addresses;
  });
}

OpenResult PosixTransport::OpenConnection(const NetAddress& address, int port) {
  OpenResult result;
  if (fd_ >= 0) CloseConnection(handle_);
  // Its own lookup blocks and gives addresses only.
  if (address.family == NetAddress::Family::kName) {
    result.error = texts::kResolveFailed;
    return result;
  }
  bool v6 = address.family == NetAddress::Family::kIPv6;
  int fd = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    result.error = texts::kSocketFailed;
    return result;
  }
  // Commands are small and, pipelined, follow one another closely: each goes out at once.
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  int flags = ::fcntl(fd, F_GETFL, 0);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
    ::close(fd);
    result.error = texts::kEventSetupFailed;
    return result;
  }
  sockaddr_storage peer{};
  socklen_t length;
  if (v6) {
    auto* p = reinterpret_cast<sockaddr_in6*>(&peer);
    p->sin6_family = AF_INET6;
    p->sin6_port = htons(static_cast<uint16_t>(port));
    std::memcpy(&p->sin6_addr, address.bytes.data(), 16);
    length = sizeof *p;
  } else {
    auto* p = reinterpret_cast<sockaddr_in*>(&peer);
    p->sin_family = AF_INET;
    p->sin_port = htons(static_cast<uint16_t>(port));
    std::memcpy(&p->sin_addr, address.bytes.data(), 4);
    length = sizeof *p;
  }
  if (::connect(fd, reinterpret_cast<sockaddr*>(&peer), length) != 0 && errno != EINPROGRESS) {
    ::close(fd);
    result.error = texts::kConnectFailed;
    return result;
  }
  fd_ = fd;
  handle_ = nextHandle_++;
  connecting_ = true;
  peerClosed_ = false;
  stream_.Reset();
  result.socket = handle_;
  return result;
}

ReceiveStatus PosixTransport::ReceiveLines(SocketHandle socket,
                                           const LineSplitter::LineReceiver& receiver) {
  if (socket != handle_ || fd_ < 0) return ReceiveStatus::kReadFailed;
  ssize_t got = ::recv(fd_, buffer_.data(), buffer_.size(), 0);
  if (got < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return ReceiveStatus::kHandled;
    peerClosed_ = true;
    closeError_ = errno;
    return ReceiveStatus::kReadFailed;
  }
  if (got == 0) {
    peerClosed_ = true;
    closeError_ = 0;
    return ReceiveStatus::kReadFailed;
  }
  return stream_.Receive(std::string_view(buffer_.data(), static_cast<size_t>(got)), send_,
                         receiver);
}

bool PosixTransport::SendText(SocketHandle socket, std::string_view text) {
  if (socket != handle_ || fd_ < 0) return false;
  return stream_.Send(text, send_);
}

TlsFailure PosixTransport::StartTls(SocketHandle socket, const TlsTarget& target) {
  if (socket != handle_ || fd_ < 0) return TlsFailure::kUnavailable;
  TlsFailure failure;
  std::unique_ptr<TlsChannel> channel = MakeTlsChannel(target, failure);
  if (!channel) return failure;
  return stream_.StartTls(std::move(channel), send_);
}

void PosixTransport::CloseConnection(SocketHandle socket) {
  if (socket != handle_ || fd_ < 0) return;
  if (!peerClosed_) stream_.Close(send_);
  stream_.Reset();
  ::shutdown(fd_, SHUT_RDWR);
  ::close(fd_);
  fd_ = -1;
  handle_ = kNoSocket;
  connecting_ = false;
  peerClosed_ = false;
}

bool PosixTransport::Poll(int timeoutMs, TransportEvents& owner) {
  if (fd_ < 0) {
    if (timeoutMs > 0) {
      int r = ::poll(nullptr, 0, timeoutMs);
      if (r < 0 && errno == EINTR) return false;
    }
    return true;
  }
  pollfd p{fd_, static_cast<short>(connecting_ ? POLLOUT : POLLIN), 0};
  int ready = ::poll(&p, 1, timeoutMs);
  if (ready < 0) return errno != EINTR;
  if (ready == 0) return true;
  SocketHandle socket = handle_;
  if (connecting_) {
    int error = 0;
    socklen_t len = sizeof error;
    if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &len) != 0) error = errno;
    connecting_ = false;
    owner.OnSocketEvent(socket, SocketEvent::kConnect, error);
    return true;
  }
  if (p.revents & (POLLIN | POLLHUP | POLLERR)) {
    if ((p.revents & POLLERR) && !(p.revents & POLLIN)) {
      int error = 0;
      socklen_t len = sizeof error;
      ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &len);
      owner.OnSocketEvent(socket, SocketEvent::kClose, error != 0 ? error : ECONNRESET);
      return true;
    }
    owner.OnSocketEvent(socket, SocketEvent::kRead, 0);
    // The owner may have closed the connection while handling the lines.
    if (socket == handle_ && peerClosed_) {
      owner.OnSocketEvent(socket, SocketEvent::kClose, closeError_);
    }
  }
  return true;
}

std::unique_ptr<PumpedTransport> MakePlatformTransport() {
  return std::make_unique<PosixTransport>();
}

}  // namespace postwink
