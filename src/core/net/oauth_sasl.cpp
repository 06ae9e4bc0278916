#include "core/net/oauth_sasl.h"

#include "core/config/credentials.h"
#include "core/mime/transfer_encoding.h"
#include "core/net/sasl.h"
#include "core/net/security_setting.h"
#include "core/oauth/oauth_texts.h"
#include "core/oauth/token_requests.h"
#include "core/oauth/token_response.h"
#include "core/text/utf8.h"

namespace postwink {

const char* OAuthMechanismName(OAuthMechanism mechanism) {
  switch (mechanism) {
    case OAuthMechanism::kOAuthBearer:
      return "OAUTHBEARER";
    case OAuthMechanism::kXOAuth2:
      return "XOAUTH2";
    case OAuthMechanism::kNone:
      break;
  }
  return "";
}

OAuthMechanism ChooseOAuthMechanism(bool oauthBearerOffered, bool xoauth2Offered) {
  if (oauthBearerOffered) return OAuthMechanism::kOAuthBearer;
  if (xoauth2Offered) return OAuthMechanism::kXOAuth2;
  return OAuthMechanism::kNone;
}

std::string OAuthInitialResponse(OAuthMechanism mechanism, std::string_view user,
                                 std::string_view host, int port, std::string_view token) {
  std::string message;
  if (mechanism == OAuthMechanism::kOAuthBearer) {
    // The authorisation identity is the user: a "," or "=" in it is escaped as RFC 5801 asks.
    message = "n,a=";
    for (char c : user) {
      if (c == ',') {
        message += "=2C";
      } else if (c == '=') {
        message += "=3D";
      } else {
        message.push_back(c);
      }
    }
    message += ",\x01host=";
    message += host;
    message += "\x01port=" + std::to_string(port);
    message += "\x01";
  } else {
    message = "user=";
    message += user;
    message += "\x01";
  }
  message += "auth=Bearer ";
  message += token;
  message += "\x01\x01";
  return Base64Encode(message);
}

const char* OAuthLoginProblem(std::string_view user, int security, std::string_view token) {
  if (user.empty()) return texts::kOAuthNoUser;
  // The token is as good as a password to whoever reads it: it travels inside TLS only.
  if (security == static_cast<int>(SecurityMode::kNone)) return texts::kOAuthNeedsTls;
  if (!IsSendableToken(token)) return texts::kOAuthUnsendableToken;
  for (char c : user) {
    if (c == '\x01' || c == '\r' || c == '\n' || c == '\0') return kCredentialRefused;
  }
  return nullptr;
}

std::string OAuthRefusedText(std::string_view status) {
  std::string text = texts::kOAuthTokenRefused;
  if (!status.empty()) {
    text += "(";
    text += status;
    text += ")\n";
  }
  return text;
}

void OAuthSaslExchange::Start(OAuthMechanism mechanism, std::string initialResponse,
                              bool initialSent) {
  mechanism_ = mechanism;
  initial_ = std::move(initialResponse);
  initialSent_ = initialSent;
  status_.clear();
  lastLog_ = "";
}

std::string OAuthSaslExchange::OnContinuation(std::string_view payload) {
  if (!initialSent_) {
    initialSent_ = true;
    lastLog_ = "****";
    return std::move(initial_);
  }
  // The error challenge: its status for the message, then the answer that lets the server say
  // its final "no" (an empty response for XOAUTH2, a lone 0x01 for OAUTHBEARER).
  while (!payload.empty() && payload.front() == ' ') payload.remove_prefix(1);
  std::string json = Base64Decode(payload);
  if (std::optional<TokenResponse> parsed = ParseTokenResponse(json)) {
    status_ = parsed->status.empty() ? parsed->error : parsed->status;
  }
  if (status_.empty()) status_ = "?";
  for (char& c : status_) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  status_ = std::string(CutToChars(status_, 64));
  if (mechanism_ == OAuthMechanism::kOAuthBearer) {
    lastLog_ = "AQ==";
    return "AQ==";
  }
  lastLog_ = "(empty)";
  return {};
}

}  // namespace postwink
