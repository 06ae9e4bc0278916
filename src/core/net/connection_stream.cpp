#include "core/net/connection_stream.h"

#include "core/net/tls_records.h"

namespace postwink {

void ConnectionStream::Reset() {
  splitter_.Reset();
  tls_.reset();
  secured_ = false;
  sawTlsByte_ = false;
  failure_ = TlsFailure::kNone;
  received_ = 0;
  std::string().swap(out_);
  std::string().swap(plain_);
}

ReceiveStatus ConnectionStream::Fail(TlsFailure failure) {
  failure_ = failure;
  splitter_.Reset();
  return ReceiveStatus::kTlsFailed;
}

TlsFailure ConnectionStream::StartTls(std::unique_ptr<TlsChannel> channel, const Sender& send) {
  splitter_.Reset();
  tls_ = std::move(channel);
  secured_ = false;
  sawTlsByte_ = false;
  out_.clear();
  TlsFailure failure = tls_ ? tls_->Begin(out_) : TlsFailure::kUnavailable;
  if (failure == TlsFailure::kNone && !send(out_)) failure = TlsFailure::kHandshake;
  failure_ = failure;
  return failure;
}

ReceiveStatus ConnectionStream::Receive(std::string_view raw, const Sender& send,
                                        const LineSplitter::LineReceiver& receiver) {
  received_ += raw.size();
  if (!tls_) return splitter_.Feed(raw, receiver);
  if (failure_ != TlsFailure::kNone) return ReceiveStatus::kTlsFailed;
  if (!sawTlsByte_ && !raw.empty()) {
    if (!secured_ && StartsLikePlainText(raw)) return Fail(TlsFailure::kNotTls);
    sawTlsByte_ = true;
  }
  out_.clear();
  plain_.clear();
  TlsChannel::Progress progress = tls_->Feed(raw, out_, plain_);
  if (!out_.empty() && !send(out_) && progress.failure == TlsFailure::kNone) {
    progress.failure = secured_ ? TlsFailure::kTransfer : TlsFailure::kHandshake;
  }
  if (progress.failure != TlsFailure::kNone) return Fail(progress.failure);
  bool justSecured = progress.secured && !secured_;
  secured_ = secured_ || progress.secured;
  ReceiveStatus status =
      plain_.empty() ? ReceiveStatus::kHandled : splitter_.Feed(plain_, receiver);
  // Text of one read is not kept past it: a long message goes through in reads of its own.
  if (plain_.capacity() > (1u << 16)) std::string().swap(plain_);
  if (status == ReceiveStatus::kHandled && progress.closed) return ReceiveStatus::kClosed;
  if (status == ReceiveStatus::kHandled && justSecured) return ReceiveStatus::kSecured;
  return status;
}

bool ConnectionStream::Send(std::string_view text, const Sender& send) {
  if (!tls_) return send(text);
  if (!secured_ || failure_ != TlsFailure::kNone) return false;
  out_.clear();
  if (!tls_->Encrypt(text, out_)) return false;
  return send(out_);
}

void ConnectionStream::Close(const Sender& send) {
  if (tls_ && secured_ && failure_ == TlsFailure::kNone) {
    out_.clear();
    tls_->Shutdown(out_);
    if (!out_.empty()) send(out_);
  }
  Reset();
}

}  // namespace postwink
