#pragma once
// The framing of TLS records (a 5-byte header: content type, version, 16-bit length), used to
// hand a TLS library whole records only, and to tell a server that answers in plain text from
// one that speaks TLS.

#include <cstddef>
#include <string_view>

namespace postwink {

inline constexpr size_t kTlsRecordHeader = 5;
// The largest record the standard allows: 2^14 bytes of text plus 2048 of expansion.
inline constexpr size_t kTlsMaxRecordBody = (1u << 14) + 2048;

// The length of the longest prefix of data made of whole records; 0 when the first record is
// not complete yet.
size_t WholeRecordsLength(std::string_view data);

// True when the first byte received cannot begin a TLS record (a POP3 greeting begins with "+"
// or "-"): the server speaks plain text on this port.
bool StartsLikePlainText(std::string_view data);

// True when a record header announces more than any TLS record may hold: the stream is broken.
bool HasOversizedRecord(std::string_view data);

}  // namespace postwink
