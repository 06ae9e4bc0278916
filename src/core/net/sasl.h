#pragma once
// SASL initial responses for the mechanisms we offer.

#include <string>
#include <string_view>

namespace postwink {

// RFC 4648 base64 with padding.
std::string Base64Encode(std::string_view bytes);

// PLAIN (RFC 4616) without an authorisation identity, base64-encoded.
std::string SaslPlain(std::string_view user, std::string_view password);

}  // namespace postwink
