#include "core/pop3/line_splitter.h"

#include <cstring>

namespace postwink {

ReceiveStatus LineSplitter::Feed(std::string_view bytes, const LineReceiver& receiver) {
  pending_.append(bytes.data(), bytes.size());
  const char* base = pending_.data();
  size_t end = pending_.size();
  size_t pos = scanned_;
  while (pos + 1 < end) {
    const void* cr = std::memchr(base + pos, '\r', end - pos - 1);
    if (cr == nullptr) {
      pos = end - 1;
      break;
    }
    size_t at = static_cast<const char*>(cr) - base;
    if (base[at + 1] != '\n') {
      pos = at + 1;
      continue;
    }
    std::string_view line(base + consumed_, at - consumed_);
    consumed_ = at + 2;
    pos = consumed_;
    uint64_t generation = generation_;
    bool goOn = receiver(line);
    if (generation_ != generation) {
      // The receiver closed the connection, and what the splitter holds now (perhaps the start
      // of the next connection, fed from a message loop inside the receiver) is not this read's.
      return ReceiveStatus::kHandled;
    }
    if (!goOn) {
      // Stopped without a reset: nothing of this read survives.
      Reset();
      return ReceiveStatus::kHandled;
    }
  }
  scanned_ = pos < consumed_ ? consumed_ : pos;
  // Drop what was delivered; the copy is at most the tail of this read.
  if (consumed_ > 0) {
    pending_.erase(0, consumed_);
    scanned_ -= consumed_;
    consumed_ = 0;
  }
  if (pending_.size() > maxLine_) {
    Reset();
    return ReceiveStatus::kOutOfMemory;
  }
  return ReceiveStatus::kHandled;
}

void LineSplitter::Reset() {
  ++generation_;
  std::string().swap(pending_);
  consumed_ = 0;
  scanned_ = 0;
}

}  // namespace postwink
