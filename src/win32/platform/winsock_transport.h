#pragma once
// The transport over Winsock: a non-blocking socket whose events Winsock posts to a window as
// WM_SOCKET_EVENT, and the received lines handed to that same window, synchronously, as
// WM_SOCKET_LINE. The window's handler for WM_SOCKET_LINE calls DeliverLine, which passes the
// line on to the receiver of the ReceiveLines call in progress; the handler for WM_SOCKET_EVENT
// calls DispatchSocketEvent. One connection at a time per transport; several transports may share
// one window, since every connection's handle is unique in the process and Receiving names the
// transport whose lines are being delivered. TLS runs between the socket and the line splitter
// (ConnectionStream), its handshake driven by the same FD_READ events; the certificate check that
// ends it runs on a thread of its own and comes back as a read. A host name is
// looked up on a thread of its own as its connection opens; the owner hears the outcome of the
// lookup and of the connect as one kConnect event. Of several addresses, each has a few seconds to
// connect before the next is tried.

#include <winsock2.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/net/connection_stream.h"
#include "core/pop3/transport.h"
#include "win32/platform/tls_schannel.h"
#include "win32/platform/windows_headers.h"

namespace postwink::win {

inline constexpr UINT WM_SOCKET_EVENT = 0x8001;
inline constexpr UINT WM_SOCKET_LINE = 0x8002;
inline constexpr long kSocketEventMask = FD_READ | FD_CONNECT | FD_CLOSE;
// A few seconds: enough for a distant server's answer, far less than the system's own give-up.
inline constexpr UINT kAddressDeadlineMs = 4000;

// Looks a host name up; empty when nothing is found. Tests put a slow resolver in its place.
using HostLookup = std::function<std::vector<NetAddress>(const std::string& host)>;
std::vector<NetAddress> LookUpHost(const std::string& host);

class WinsockTransport : public Transport {
 public:
  // addressDeadlineMs: how long an address of several may take to connect before the next.
  explicit WinsockTransport(HWND window, HostLookup lookup = LookUpHost,
                            CertificateCheck check = CheckServerCertificate,
                            UINT addressDeadlineMs = kAddressDeadlineMs);
  void SetWindow(HWND window) { window_ = window; }
  ~WinsockTransport() override;
  WinsockTransport(const WinsockTransport&) = delete;
  WinsockTransport& operator=(const WinsockTransport&) = delete;

  ResolveResult ResolveHost(std::string_view name) override;
  OpenResult OpenConnection(const NetAddress& address, int port) override;
  ReceiveStatus ReceiveLines(SocketHandle socket,
                             const LineSplitter::LineReceiver& receiver) override;
  bool SendText(SocketHandle socket, std::string_view text) override;
  void CloseConnection(SocketHandle socket) override;
  TlsFailure StartTls(SocketHandle socket, const TlsTarget& target) override;
  TlsFailure LastTlsFailure() const override { return stream_.Failure(); }
  uint64_t ReceivedBytes() const override { return stream_.ReceivedBytes(); }

  // WM_SOCKET_LINE: wParam the length, lParam the NUL-terminated text. Nonzero: go on.
  LRESULT DeliverLine(WPARAM length, LPARAM text);
  // The transport whose read is delivering lines now (the innermost); null when none is.
  static WinsockTransport* Receiving();
  // WM_SOCKET_EVENT: wParam the socket, lParam the event in its low word, the error in its high.
  // False when the event is none of this transport's.
  bool DispatchSocketEvent(TransportEvents& owner, WPARAM wParam, LPARAM lParam);

 private:
  struct Lookup;
  // Starts a non-blocking connect to one address; the fixed text of a failure, empty once begun.
  std::string Open(const NetAddress& address);
  // Drops the socket and connects to the next address found; false when none is left.
  bool ConnectNext();
  void DropSocket();
  void StopDeadline();
  void LookupDone(TransportEvents& owner);

  HWND window_;
  HostLookup lookup_;
  CertificateCheck check_;
  SOCKET socket_ = INVALID_SOCKET;
  SocketHandle handle_ = kNoSocket;  // the connection as the owner knows it
  int port_ = 0;
  std::shared_ptr<Lookup> pending_;    // the lookup running for this connection
  std::vector<NetAddress> addresses_;  // found and not tried yet
  ConnectionStream stream_;
  ConnectionStream::Sender send_;  // raw bytes to the open socket
  bool checked_ = false;           // the certificate check ended; the next read takes it
  UINT addressDeadlineMs_;
  UINT_PTR deadline_ = 0;  // the timer of the address being connected, when others remain
  std::vector<char> buffer_;
  std::string line_;  // the line being delivered, NUL-terminated for the message
  const LineSplitter::LineReceiver* receiver_ = nullptr;
};

}  // namespace postwink::win
