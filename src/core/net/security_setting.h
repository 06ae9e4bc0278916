#pragma once
// An account's SECURITY and TLS_FINGERPRINT keys, read into what a check needs: the mode, and
// the pinned certificate fingerprint. Absent keys mean a plain connection, as before the keys
// existed; a value that cannot be meant is refused with a message rather than guessed at, so a
// typo never sends a password in clear.

#include <optional>
#include <string>
#include <string_view>

#include "core/config/account.h"
#include "core/net/tls_channel.h"

namespace postwink {

enum class SecurityMode { kNone = 0, kTls = 1, kStls = 2 };

// The port that goes with TLS from the start (POP3S).
inline constexpr int kPop3sPort = 995;

struct SecuritySetting {
  SecurityMode mode = SecurityMode::kNone;
  std::optional<Sha256> pin;
  std::string error;  // the message when the keys cannot be used
};

SecuritySetting ReadSecuritySetting(const Account& account);

// SHA-256 as 64 hexadecimal digits, in either case, with or without colons (or blanks) between
// the bytes, as openssl and browsers print it. Nothing for anything else.
std::optional<Sha256> ParseFingerprint(std::string_view text);
// Upper-case pairs joined by colons, as "openssl x509 -fingerprint -sha256" prints it.
std::string FormatFingerprint(const Sha256& fingerprint);

}  // namespace postwink
