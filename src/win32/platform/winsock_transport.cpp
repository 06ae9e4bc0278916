#include "win32/platform/winsock_transport.h"

#include <ws2tcpip.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "core/platform/system.h"
#include "core/pop3/pop3_texts.h"
#include "core/pop3/send_text.h"
#include "core/text/utf8.h"

namespace postwink::win {
namespace {
// One byte short of the buffer, as Winsock programs keep room to terminate what they read.
constexpr int kReadSize = 0x8000 - 1;
// WM_SOCKET_EVENT's event for a name lookup that ended; wParam the connection's handle. Above
// every FD_ bit, so that no socket event is taken for it.
constexpr WORD kLookupDone = 0x4000;
// WM_SOCKET_EVENT's event for a certificate check that ended; wParam the connection's handle.
constexpr WORD kCertificateChecked = 0x4001;
// WM_SOCKET_EVENT's event for an address that took too long to connect; wParam its timer.
constexpr WORD kConnectDeadline = 0x4002;

// Timer identifiers unique in the process, far above the windows' own, so that a deadline of
// one transport or of one address is never taken for another's.
UINT_PTR NextDeadlineTimer() {
  static std::atomic<UINT_PTR> next{0x50570000};
  return next++;
}

// Touches nothing but the window's queue: the transport that set the timer may be gone.
void CALLBACK DeadlinePassed(HWND window, UINT, UINT_PTR timer, DWORD) {
  KillTimer(window, timer);
  PostMessageW(window, WM_SOCKET_EVENT, timer, kConnectDeadline);
}

// Handles are unique across the transports of the process: lookups of several transports that
// share a window are told apart by them. Only the window's thread opens connections.
SocketHandle NextHandle() {
  static SocketHandle last = kResolvingSocket;
  return ++last;
}

WinsockTransport* receiving = nullptr;

std::vector<NetAddress> LookUp(const std::string& host, int flags) {
  std::vector<NetAddress> addresses;
  std::u16string wide = Utf8ToUtf16(host);
  ADDRINFOW hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = flags;
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
}  // namespace

// What a lookup found, shared by the transport and the thread that runs it: either may go first.
struct WinsockTransport::Lookup {
  std::mutex mutex;
  std::vector<NetAddress> found;
};

std::vector<NetAddress> LookUpHost(const std::string& host) { return LookUp(host, 0); }

WinsockTransport::WinsockTransport(HWND window, HostLookup lookup, CertificateCheck check,
                                   UINT addressDeadlineMs)
    : window_(window),
      lookup_(std::move(lookup)),
      check_(std::move(check)),
      addressDeadlineMs_(addressDeadlineMs) {
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
  if (handle_ != kNoSocket) CloseConnection(handle_);
}

ResolveResult WinsockTransport::ResolveHost(std::string_view name) {
  // A name is looked up as its connection opens, on a thread of its own: a slow resolver or a
  // captive portal would otherwise hold every message of the window that calls this.
  return ResolveWith(name, [](const std::string& host) {
    if (IsAddressLiteral(host)) return LookUp(host, AI_NUMERICHOST);
    NetAddress deferred;
    deferred.family = NetAddress::Family::kName;
    deferred.name = host;
    return std::vector<NetAddress>{deferred};
  });
}

OpenResult WinsockTransport::OpenConnection(const NetAddress& address, int port) {
  OpenResult result;
  if (handle_ != kNoSocket) CloseConnection(handle_);
  port_ = port;
  if (address.family == NetAddress::Family::kName) {
    auto lookup = std::make_shared<Lookup>();
    SocketHandle handle = NextHandle();
    try {
      std::thread([lookup, host = address.name, find = lookup_, window = window_, handle] {
        ResolveResult resolved = ResolveWith(host, find);
        {
          std::lock_guard<std::mutex> hold(lookup->mutex);
          lookup->found = std::move(resolved.addresses);
        }
        PostMessageW(window, WM_SOCKET_EVENT, static_cast<WPARAM>(handle), kLookupDone);
      }).detach();
    } catch (const std::system_error&) {
      result.error = texts::kResolveFailed;
      return result;
    }
    pending_ = std::move(lookup);
    handle_ = handle;
    result.socket = handle;
    return result;
  }
  result.error = Open(address);
  if (result.error.empty()) {
    handle_ = NextHandle();
    result.socket = handle_;
  }
  return result;
}

std::string WinsockTransport::Open(const NetAddress& address) {
  bool v6 = address.family == NetAddress::Family::kIPv6;
  SOCKET s = socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET) return texts::kSocketFailed;
  // Commands are small and, pipelined, follow one another closely: each goes out at once.
  BOOL one = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  sockaddr_storage peer{};
  int length;
  if (v6) {
    auto* p = reinterpret_cast<sockaddr_in6*>(&peer);
    p->sin6_family = AF_INET6;
    p->sin6_port = htons(static_cast<u_short>(port_));
    memcpy(&p->sin6_addr, address.bytes.data(), 16);
    length = sizeof *p;
  } else {
    auto* p = reinterpret_cast<sockaddr_in*>(&peer);
    p->sin_family = AF_INET;
    p->sin_port = htons(static_cast<u_short>(port_));
    memcpy(&p->sin_addr, address.bytes.data(), 4);
    length = sizeof *p;
  }
  if (WSAAsyncSelect(s, window_, WM_SOCKET_EVENT, kSocketEventMask) != 0) {
    closesocket(s);
    return texts::kEventSetupFailed;
  }
  if (connect(s, reinterpret_cast<sockaddr*>(&peer), length) != 0 &&
      WSAGetLastError() != WSAEWOULDBLOCK) {
    WSAAsyncSelect(s, window_, 0, 0);
    closesocket(s);
    return texts::kConnectFailed;
  }
  socket_ = s;
  stream_.Reset();
  checked_ = false;
  return {};
}

bool WinsockTransport::ConnectNext() {
  DropSocket();
  while (!addresses_.empty()) {
    NetAddress address = addresses_.front();
    addresses_.erase(addresses_.begin());
    if (!Open(address).empty()) continue;
    // Behind a dead route the system gives a connect up only after twenty seconds and more:
    // the next address gets its turn sooner.
    if (!addresses_.empty()) {
      deadline_ = NextDeadlineTimer();
      if (SetTimer(window_, deadline_, addressDeadlineMs_, DeadlinePassed) == 0) deadline_ = 0;
    }
    return true;
  }
  return false;
}

void WinsockTransport::StopDeadline() {
  if (deadline_ == 0) return;
  KillTimer(window_, deadline_);
  deadline_ = 0;
}

void WinsockTransport::DropSocket() {
  StopDeadline();
  if (socket_ == INVALID_SOCKET) return;
  WSAAsyncSelect(socket_, window_, 0, 0);
  shutdown(socket_, SD_BOTH);
  closesocket(socket_);
  socket_ = INVALID_SOCKET;
}

void WinsockTransport::LookupDone(TransportEvents& owner) {
  {
    std::lock_guard<std::mutex> hold(pending_->mutex);
    addresses_ = std::move(pending_->found);
  }
  pending_.reset();
  // Found nothing, or no address took the connect: the owner hears it as a failed connect.
  int error = addresses_.empty() ? kLookupFailedError : WSAECONNREFUSED;
  if (ConnectNext()) return;
  owner.OnSocketEvent(handle_, SocketEvent::kConnect, error);
}

ReceiveStatus WinsockTransport::ReceiveLines(SocketHandle socket,
                                             const LineSplitter::LineReceiver& receiver) {
  if (socket_ == INVALID_SOCKET || handle_ != socket) return ReceiveStatus::kReadFailed;
  if (buffer_.empty()) buffer_.resize(kReadSize + 1);
  int got = recv(socket_, buffer_.data(), kReadSize, 0);
  if (got <= 0) {
    if (WSAGetLastError() != WSAEWOULDBLOCK) return ReceiveStatus::kReadFailed;
    // Nothing new, but the channel has the certificate check's outcome to take.
    if (!checked_) return ReceiveStatus::kHandled;
    got = 0;
  }
  checked_ = false;
  // The receiver of this read; the window's WM_SOCKET_LINE handler reaches it through
  // DeliverLine. A nested read (none is expected) keeps its own.
  const LineSplitter::LineReceiver* outer = receiver_;
  WinsockTransport* outerTransport = receiving;
  receiver_ = &receiver;
  receiving = this;
  HWND window = window_;
  ReceiveStatus status =
      stream_.Receive(std::string_view(buffer_.data(), static_cast<size_t>(got)), send_,
                      [this, window](std::string_view line) {
                        line_.assign(line);
                        return SendMessageW(window, WM_SOCKET_LINE, line_.size(),
                                            reinterpret_cast<LPARAM>(line_.c_str())) != 0;
                      });
  receiver_ = outer;
  receiving = outerTransport;
  return status;
}

LRESULT WinsockTransport::DeliverLine(WPARAM length, LPARAM text) {
  if (receiver_ == nullptr || text == 0) return 0;
  return (*receiver_)(std::string_view(reinterpret_cast<const char*>(text), length)) ? 1 : 0;
}

WinsockTransport* WinsockTransport::Receiving() { return receiving; }

bool WinsockTransport::SendText(SocketHandle socket, std::string_view text) {
  if (socket_ == INVALID_SOCKET || handle_ != socket) return false;
  return stream_.Send(text, send_);
}

TlsFailure WinsockTransport::StartTls(SocketHandle socket, const TlsTarget& target) {
  if (socket_ == INVALID_SOCKET || handle_ != socket) return TlsFailure::kUnavailable;
  TlsFailure failure;
  std::unique_ptr<TlsChannel> channel = MakeSchannelChannel(
      target, check_,
      [window = window_, handle = handle_] {
        PostMessageW(window, WM_SOCKET_EVENT, static_cast<WPARAM>(handle), kCertificateChecked);
      },
      failure);
  if (!channel) return failure;
  return stream_.StartTls(std::move(channel), send_);
}

void WinsockTransport::CloseConnection(SocketHandle socket) {
  if (handle_ == kNoSocket || handle_ != socket) return;
  // A lookup still running ends unheard: its thread holds the only other share of its result.
  pending_.reset();
  addresses_.clear();
  if (socket_ != INVALID_SOCKET) {
    WSAAsyncSelect(socket_, window_, 0, 0);
    stream_.Close(send_);
  }
  DropSocket();
  handle_ = kNoSocket;
  std::vector<char>().swap(buffer_);
}

bool WinsockTransport::DispatchSocketEvent(TransportEvents& owner, WPARAM wParam, LPARAM lParam) {
  WORD event = WSAGETSELECTEVENT(lParam);
  int error = WSAGETSELECTERROR(lParam);
  if (event == kLookupDone) {
    // A lookup of a connection since closed, or of one before it, ends here.
    if (!pending_ || static_cast<SocketHandle>(wParam) != handle_) return false;
    LookupDone(owner);
    return true;
  }
  if (event == kConnectDeadline) {
    // A deadline of an address since connected or dropped ends here.
    if (deadline_ == 0 || wParam != deadline_) return false;
    deadline_ = 0;
    if (!ConnectNext()) owner.OnSocketEvent(handle_, SocketEvent::kConnect, WSAETIMEDOUT);
    return true;
  }
  if (event == kCertificateChecked) {
    // The owner reads as for bytes that arrived, and the read takes the outcome.
    if (socket_ == INVALID_SOCKET || static_cast<SocketHandle>(wParam) != handle_) return false;
    checked_ = true;
    owner.OnSocketEvent(handle_, SocketEvent::kRead, 0);
    return true;
  }
  // Events of a socket already closed may still be queued; they concern nobody.
  if (socket_ == INVALID_SOCKET || wParam != socket_) return false;
  if (event == FD_CONNECT) StopDeadline();
  // The name's next address, when this one refused.
  if (event == FD_CONNECT && error != 0 && !addresses_.empty() && ConnectNext()) return true;
  owner.OnSocketEvent(handle_, static_cast<SocketEvent>(event), error);
  return true;
}

}  // namespace postwink::win
