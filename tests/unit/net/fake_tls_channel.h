#pragma once
// A stand-in for a TLS library with the same framing as TLS (5-byte record headers) and no
// cryptography: handshake records (22) carry "hello", application records (23) carry the text
// as it is, an alert (21) "close" ends the connection. Like SChannel it only ever works on whole
// records, kept until they are complete.

#include <string>
#include <string_view>

#include "core/net/tls_channel.h"
#include "core/net/tls_records.h"

namespace postwink::testing {

inline std::string TlsRecord(int type, std::string_view body) {
  std::string r;
  r += static_cast<char>(type);
  r += "\x03\x03";
  r += static_cast<char>(body.size() >> 8);
  r += static_cast<char>(body.size() & 0xFF);
  r += body;
  return r;
}

class FakeTlsChannel : public TlsChannel {
 public:
  // What the certificate check at the end of the handshake finds.
  TlsFailure certificate = TlsFailure::kNone;
  std::string* wholeRecordsSeen = nullptr;  // every record handed over, for the fuzzer's check

  TlsFailure Begin(std::string& out) override {
    out += TlsRecord(22, "client-hello");
    return TlsFailure::kNone;
  }
  Progress Feed(std::string_view in, std::string& out, std::string& plain) override {
    Progress progress;
    pending_.append(in);
    if (HasOversizedRecord(pending_)) {
      progress.failure = secured_ ? TlsFailure::kTransfer : TlsFailure::kHandshake;
      return progress;
    }
    size_t whole = WholeRecordsLength(pending_);
    size_t at = 0;
    while (at < whole) {
      auto type = static_cast<unsigned char>(pending_[at]);
      size_t length = static_cast<unsigned char>(pending_[at + 3]) << 8 |
                      static_cast<unsigned char>(pending_[at + 4]);
      std::string_view body(pending_.data() + at + kTlsRecordHeader, length);
      at += kTlsRecordHeader + length;
      if (!secured_) {
        if (type != 22) {
          progress.failure = TlsFailure::kHandshake;
          return progress;
        }
        out += TlsRecord(22, "client-finished");
        if (certificate != TlsFailure::kNone) {
          progress.failure = certificate;
          return progress;
        }
        secured_ = progress.secured = true;
      } else if (type == 23) {
        plain.append(body);
      } else if (type == 21) {
        progress.closed = true;
      } else {
        progress.failure = TlsFailure::kTransfer;
        return progress;
      }
    }
    pending_.erase(0, whole);
    return progress;
  }
  bool Encrypt(std::string_view plain, std::string& out) override {
    out += TlsRecord(23, plain);
    return true;
  }
  void Shutdown(std::string& out) override { out += TlsRecord(21, "close"); }

 private:
  std::string pending_;
  bool secured_ = false;
};

}  // namespace postwink::testing
