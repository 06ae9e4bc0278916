#pragma once
// The socket calls behind one small interface, so that the check engine runs over Winsock in the
// program and over poll() on POSIX and in the tests. Only one connection is open at a time.
// Events arrive at the owner (TransportEvents) the way Winsock posts them to a window: connect
// completed, data readable, closed, each with an error code (0 for none).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/net/net_address.h"
#include "core/net/tls_channel.h"
#include "core/pop3/line_splitter.h"

namespace postwink {

// Socket handle as the engine keeps it: -1 none, 0 busy resolving, anything else a connection.
using SocketHandle = int64_t;
inline constexpr SocketHandle kNoSocket = -1;
inline constexpr SocketHandle kResolvingSocket = 0;

// The error of a kConnect event when the name, looked up as the connection opened, gave no
// address (Winsock's WSAHOST_NOT_FOUND).
inline constexpr int kLookupFailedError = 11001;

// The values of the Winsock event bits.
enum class SocketEvent : int { kRead = 1, kWrite = 2, kConnect = 16, kClose = 32 };

struct ResolveResult {
  std::vector<NetAddress> addresses;  // in the resolver's order; empty on failure
  std::string error;                  // the fixed message text on failure
};

// What every platform's ResolveHost does around its own lookup (an address literal or a name,
// IPv4 and IPv6, giving nothing when nothing is found): an empty name is refused with its own
// text, brackets around an IPv6 literal are dropped, and unspecified addresses (0.0.0.0, ::)
// name no server.
ResolveResult ResolveWith(
    std::string_view name,
    const std::function<std::vector<NetAddress>(const std::string& host)>& lookup);

struct OpenResult {
  SocketHandle socket = kNoSocket;
  std::string error;
};

class TransportEvents {
 public:
  virtual ~TransportEvents() = default;
  virtual void OnSocketEvent(SocketHandle socket, SocketEvent event, int error) = 0;
};

class Transport {
 public:
  virtual ~Transport() = default;
  // An address literal is taken without a lookup; a name is looked up (blocking), or given back
  // as a kName address that OpenConnection looks up without blocking.
  virtual ResolveResult ResolveHost(std::string_view name) = 0;
  // Starts a non-blocking connect; its outcome (with a kName address, the lookup's too) arrives as
  // a kConnect event.
  virtual OpenResult OpenConnection(const NetAddress& address, int port) = 0;
  // Reads what has arrived and hands each complete line to the receiver, in order. Under TLS the
  // lines are the decrypted text; the handshake advances here too (kSecured, kTlsFailed).
  virtual ReceiveStatus ReceiveLines(SocketHandle socket,
                                     const LineSplitter::LineReceiver& receiver) = 0;
  // Sends the whole text (encrypted once TLS is up); false on a socket error.
  virtual bool SendText(SocketHandle socket, std::string_view text) = 0;
  // Stops the events, closes the socket (saying goodbye to a TLS peer) and forgets any partial
  // line and all TLS state.
  virtual void CloseConnection(SocketHandle socket) = 0;
  // Begins a TLS handshake on the open connection; it goes on in ReceiveLines.
  virtual TlsFailure StartTls(SocketHandle socket, const TlsTarget& target) = 0;
  // Why the last ReceiveLines reported kTlsFailed.
  virtual TlsFailure LastTlsFailure() const = 0;
  // Bytes read from the socket on the open connection so far.
  virtual uint64_t ReceivedBytes() const = 0;
};

}  // namespace postwink
