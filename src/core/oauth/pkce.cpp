#include "core/oauth/pkce.h"

#include <array>
#include <cstdint>

#include "core/net/sasl.h"
#include "core/oauth/oauth_platform.h"
#include "core/oauth/oauth_settings.h"
#include "core/oauth/sha256.h"

namespace postwink {
namespace {

std::optional<std::string> RandomText(SecureRandom& random, size_t bytes) {
  std::array<uint8_t, 32> buffer{};
  if (bytes > buffer.size() || !random.Fill(std::span(buffer.data(), bytes))) return std::nullopt;
  return Base64UrlEncode(std::string_view(reinterpret_cast<const char*>(buffer.data()), bytes));
}

}  // namespace

std::string Base64UrlEncode(std::string_view bytes) {
  std::string out = Base64Encode(bytes);
  while (!out.empty() && out.back() == '=') out.pop_back();
  for (char& c : out) {
    if (c == '+') c = '-';
    if (c == '/') c = '_';
  }
  return out;
}

std::optional<PkcePair> MakePkce(SecureRandom& random) {
  std::optional<std::string> verifier = RandomText(random, 32);
  if (!verifier) return std::nullopt;
  std::array<uint8_t, 32> digest = Sha256(*verifier);
  PkcePair pair;
  pair.challenge = Base64UrlEncode(
      std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size()));
  pair.verifier = std::move(*verifier);
  return pair;
}

std::optional<std::string> MakeState(SecureRandom& random) { return RandomText(random, 16); }

std::string FormEscape(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    bool plain = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') ||
                 u == '-' || u == '.' || u == '_' || u == '~';
    if (plain) {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kHex[u >> 4]);
      out.push_back(kHex[u & 15]);
    }
  }
  return out;
}

std::string AuthorizationAddress(const OAuthSettings& settings, std::string_view redirectUri,
                                 std::string_view state, std::string_view challenge) {
  std::string url = settings.authUrl;
  url += settings.authUrl.find('?') == std::string::npos ? '?' : '&';
  url += "response_type=code&client_id=" + FormEscape(settings.clientId);
  url += "&redirect_uri=" + FormEscape(redirectUri);
  url += "&scope=" + FormEscape(settings.scope);
  url += "&state=" + FormEscape(state);
  url += "&code_challenge=" + FormEscape(challenge);
  url += "&code_challenge_method=S256";
  if (!settings.user.empty()) url += "&login_hint=" + FormEscape(settings.user);
  return url;
}

}  // namespace postwink
