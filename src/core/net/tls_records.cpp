#include "core/net/tls_records.h"

namespace postwink {
namespace {

size_t BodyLength(std::string_view data, size_t at) {
  return static_cast<size_t>(static_cast<unsigned char>(data[at + 3])) << 8 |
         static_cast<unsigned char>(data[at + 4]);
}

}  // namespace

size_t WholeRecordsLength(std::string_view data) {
  size_t at = 0;
  while (data.size() - at >= kTlsRecordHeader) {
    size_t end = at + kTlsRecordHeader + BodyLength(data, at);
    if (end > data.size()) break;
    at = end;
  }
  return at;
}

bool StartsLikePlainText(std::string_view data) {
  if (data.empty()) return false;
  // Record types 20 to 23: cipher change, alert, handshake, application data.
  auto type = static_cast<unsigned char>(data[0]);
  return type < 20 || type > 23;
}

bool HasOversizedRecord(std::string_view data) {
  size_t at = 0;
  while (data.size() - at >= kTlsRecordHeader) {
    size_t body = BodyLength(data, at);
    if (body > kTlsMaxRecordBody) return true;
    at += kTlsRecordHeader + body;
    if (at > data.size()) break;
  }
  return false;
}

}  // namespace postwink
