#pragma once
// The bytes of one connection between the socket and the line splitter, shared by the
// transports of both platforms: plain text at first, and once StartTls has run, TLS records
// that go through the channel, so that the splitter and the session above it only ever see
// plain lines. While the handshake runs nothing can be sent, so no command (and no password)
// ever leaves in clear on a connection that was to be secured.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/net/tls_channel.h"
#include "core/pop3/line_splitter.h"

namespace postwink {

class ConnectionStream {
 public:
  // Sends raw bytes whole; false on a socket error.
  using Sender = std::function<bool(std::string_view bytes)>;

  explicit ConnectionStream(size_t maxLine = LineSplitter::kDefaultMaxLine) : splitter_(maxLine) {}

  // A new connection: plain, nothing pending.
  void Reset();
  // Switches to TLS; the channel's first handshake message goes out through send. Text that
  // arrived in clear and is still pending is dropped: nothing sent before the switch may pass
  // for text of the secured connection.
  TlsFailure StartTls(std::unique_ptr<TlsChannel> channel, const Sender& send);
  // Bytes read from the socket. kSecured: the handshake ended in this read (lines that came with
  // it were delivered); kTlsFailed: see Failure(); kClosed: the server ended TLS after the lines
  // delivered, and nothing more can come.
  ReceiveStatus Receive(std::string_view raw, const Sender& send,
                        const LineSplitter::LineReceiver& receiver);
  // A command: as it is on a plain connection, encrypted on a secured one, refused while the
  // handshake runs or after it failed.
  bool Send(std::string_view text, const Sender& send);
  // Says goodbye to a TLS peer (close_notify, best effort) and forgets the connection.
  void Close(const Sender& send);

  TlsFailure Failure() const { return failure_; }
  bool Secured() const { return secured_; }
  // Bytes read from the socket on this connection.
  uint64_t ReceivedBytes() const { return received_; }

 private:
  ReceiveStatus Fail(TlsFailure failure);

  LineSplitter splitter_;
  std::unique_ptr<TlsChannel> tls_;
  bool secured_ = false;
  bool sawTlsByte_ = false;
  TlsFailure failure_ = TlsFailure::kNone;
  uint64_t received_ = 0;
  std::string out_;
  std::string plain_;
};

}  // namespace postwink
