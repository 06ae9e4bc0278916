#pragma once
// Sends a whole command text in chunks of at most 254 bytes, advancing by what each send reports,
// so a short send never loses or repeats bytes.

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

namespace postwink {

inline constexpr size_t kSendChunk = 254;

// Sends one chunk; returns the number of bytes taken (0 when the socket is not writable yet) or
// nothing on a socket error.
using ChunkSender = std::function<std::optional<size_t>(std::string_view chunk)>;

// True when every byte was sent; false on a socket error, or when the peer takes nothing for
// maxIdleTries sends in a row (a writer that never drains must not hang the caller).
bool SendText(std::string_view text, const ChunkSender& send, int maxIdleTries = 1000);

}  // namespace postwink
