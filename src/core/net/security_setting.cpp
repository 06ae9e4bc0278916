#include "core/net/security_setting.h"

#include "core/net/net_texts.h"

namespace postwink {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<Sha256> ParseFingerprint(std::string_view text) {
  Sha256 out{};
  size_t digits = 0;
  for (char c : text) {
    if (c == ':' || c == ' ' || c == '\t') continue;
    int v = HexValue(c);
    if (v < 0 || digits >= out.size() * 2) return std::nullopt;
    out[digits / 2] = static_cast<uint8_t>(out[digits / 2] << 4 | v);
    ++digits;
  }
  if (digits != out.size() * 2) return std::nullopt;
  return out;
}

std::string FormatFingerprint(const Sha256& fingerprint) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (uint8_t b : fingerprint) {
    if (!out.empty()) out += ':';
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  return out;
}

SecuritySetting ReadSecuritySetting(const Account& account) {
  SecuritySetting setting;
  switch (account.security) {
    case 0:
      setting.mode = SecurityMode::kNone;
      break;
    case 1:
      setting.mode = SecurityMode::kTls;
      break;
    case 2:
      setting.mode = SecurityMode::kStls;
      break;
    default:
      setting.error = texts::kSecurityInvalid;
      return setting;
  }
  const std::string fingerprint = account.tlsFingerprint.value_or("");
  if (fingerprint.find_first_not_of(" \t") != std::string::npos) {
    setting.pin = ParseFingerprint(fingerprint);
    if (!setting.pin) {
      setting.error = texts::kFingerprintInvalid;
    } else if (setting.mode == SecurityMode::kNone) {
      // A pinned certificate means TLS was wanted; a plain check would send the password in clear.
      setting.error = texts::kFingerprintWithoutTls;
    }
  }
  return setting;
}

}  // namespace postwink
