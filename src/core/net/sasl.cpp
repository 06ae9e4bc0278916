#include "core/net/sasl.h"

#include <cstdint>

namespace postwink {

std::string Base64Encode(std::string_view bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
    uint32_t group = static_cast<uint32_t>(static_cast<uint8_t>(bytes[i])) << 16;
    if (n > 1) group |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 1])) << 8;
    if (n > 2) group |= static_cast<uint8_t>(bytes[i + 2]);
    out.push_back(kAlphabet[(group >> 18) & 0x3F]);
    out.push_back(kAlphabet[(group >> 12) & 0x3F]);
    out.push_back(n > 1 ? kAlphabet[(group >> 6) & 0x3F] : '=');
    out.push_back(n > 2 ? kAlphabet[group & 0x3F] : '=');
  }
  return out;
}

std::string SaslPlain(std::string_view user, std::string_view password) {
  std::string message(1, '\0');
  message += user;
  message.push_back('\0');
  message += password;
  return Base64Encode(message);
}

}  // namespace postwink
