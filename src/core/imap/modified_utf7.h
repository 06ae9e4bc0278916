#pragma once
// Mailbox names as IMAP servers without UTF8=ACCEPT spell them (RFC 3501, 5.1.3): printable
// ASCII stands for itself, "&" is "&-", and every other run of characters is UTF-16 in base64
// (with "," for "/", no padding) between "&" and "-".

#include <optional>
#include <string>
#include <string_view>

namespace postwink {

// From UTF-8; nullopt when the name is not valid UTF-8 (a name we cannot spell is not sent).
std::optional<std::string> EncodeModifiedUtf7(std::string_view utf8);

// Into UTF-8; nullopt for what no server should send: an unterminated or empty shifted run, a
// shifted run of plain ASCII, bits left over, an unpaired surrogate, a byte outside ASCII.
std::optional<std::string> DecodeModifiedUtf7(std::string_view name);

}  // namespace postwink
