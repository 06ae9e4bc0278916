#pragma once
// The transport over a non-blocking POSIX socket. The owner's event loop calls Poll, which waits
// for the connection and turns what poll() reports into the events Winsock would post.

#include <cstdint>
#include <vector>

#include "core/check/headless_check_host.h"
#include "core/net/connection_stream.h"
#include "core/pop3/transport.h"

namespace postwink {

class PosixTransport : public PumpedTransport {
 public:
  PosixTransport();
  ~PosixTransport() override;
  PosixTransport(const PosixTransport&) = delete;
  PosixTransport& operator=(const PosixTransport&) = delete;

  ResolveResult ResolveHost(std::string_view name) override;
  OpenResult OpenConnection(const NetAddress& address, int port) override;
  ReceiveStatus ReceiveLines(SocketHandle socket,
                             const LineSplitter::LineReceiver& receiver) override;
  bool SendText(SocketHandle socket, std::string_view text) override;
  void CloseConnection(SocketHandle socket) override;
  TlsFailure StartTls(SocketHandle socket, const TlsTarget& target) override;
  TlsFailure LastTlsFailure() const override { return stream_.Failure(); }
  uint64_t ReceivedBytes() const override { return stream_.ReceivedBytes(); }

  // Waits up to timeoutMs for the open connection (or just sleeps when there is none) and
  // delivers at most one round of events. Returns false when interrupted by a signal.
  bool Poll(int timeoutMs, TransportEvents& owner);
  bool Pump(int timeoutMs, TransportEvents& owner) override { return Poll(timeoutMs, owner); }

  bool HasConnection() const override { return fd_ >= 0; }

 private:
  int fd_ = -1;
  SocketHandle handle_ = kNoSocket;
  SocketHandle nextHandle_ = 1;
  bool connecting_ = false;
  bool peerClosed_ = false;
  int closeError_ = 0;
  ConnectionStream stream_;
  ConnectionStream::Sender send_;  // raw bytes to the open socket
  std::vector<char> buffer_;
};

}  // namespace postwink
