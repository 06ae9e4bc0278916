#pragma once
// Cuts a received byte stream into CR LF terminated lines. Bytes after the last CR LF of one read
// wait for the next, so a line split across reads, or a CR at the end of one read whose LF starts
// the next, is delivered once and whole. NUL bytes are ordinary bytes: they never end a line or
// drop the rest of a read.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace postwink {

enum class ReceiveStatus {
  kHandled,      // every complete line was delivered, or the receiver stopped the delivery
  kReadFailed,   // the read itself failed (the connection reports its end by its own event)
  kOutOfMemory,  // an unterminated line outgrew the limit; the account fails
  kSecured,      // a TLS handshake ended in this read; the lines that followed it were delivered
  kTlsFailed,    // TLS failed; the transport tells why
  kClosed        // the server ended TLS (close_notify): its close, whether or not TCP follows
};

class LineSplitter {
 public:
  // A line valid only during the call; returns false to stop the delivery of the rest of the
  // read (the receiver has ended the connection, or is about to secure it after STLS). A
  // receiver that resets the splitter ends the delivery too, and whatever was fed into the
  // splitter after that reset is left alone.
  using LineReceiver = std::function<bool(std::string_view line)>;

  // A server that never sends CR LF must not make us hold unbounded memory.
  static constexpr size_t kDefaultMaxLine = 16u << 20;

  explicit LineSplitter(size_t maxLine = kDefaultMaxLine) : maxLine_(maxLine) {}

  ReceiveStatus Feed(std::string_view bytes, const LineReceiver& receiver);

  // Forgets any partial line (the connection was closed).
  void Reset();

  size_t PendingSize() const { return pending_.size() - consumed_; }

 private:
  size_t maxLine_;
  std::string pending_;
  size_t consumed_ = 0;      // bytes of pending_ already delivered
  size_t scanned_ = 0;       // bytes of pending_ known to hold no CR LF start
  uint64_t generation_ = 0;  // counts resets, so a Feed can tell that its receiver reset us
};

}  // namespace postwink
