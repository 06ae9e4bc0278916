#pragma once
// SASL sign-in with an OAuth 2.0 access token, shared by POP3 AUTH and IMAP AUTHENTICATE:
// OAUTHBEARER (RFC 7628) where the server offers it, else XOAUTH2 (Google's and Microsoft's
// form). A refused token is not refused at once: the server first sends an error challenge (a
// base64 JSON object) and waits for the client's empty answer before its final "no".

#include <string>
#include <string_view>

namespace postwink {

enum class OAuthMechanism { kNone, kOAuthBearer, kXOAuth2 };

const char* OAuthMechanismName(OAuthMechanism mechanism);
OAuthMechanism ChooseOAuthMechanism(bool oauthBearerOffered, bool xoauth2Offered);

// The client's first message, base64-encoded.
std::string OAuthInitialResponse(OAuthMechanism mechanism, std::string_view user,
                                 std::string_view host, int port, std::string_view token);

// The message that keeps an account from signing in with its token (no address, no TLS, no
// usable token), or null.
const char* OAuthLoginProblem(std::string_view user, int security, std::string_view token);

// The message for a refused token: the fixed text, the challenge's status and the server's line.
std::string OAuthRefusedText(std::string_view status);

class OAuthSaslExchange {
 public:
  // The exchange of one AUTH/AUTHENTICATE; initialSent says whether the command carried the
  // initial response (else it goes out on the first continuation).
  void Start(OAuthMechanism mechanism, std::string initialResponse, bool initialSent);
  // A continuation's payload (the text after "+ "): what to send back, without its line end.
  std::string OnContinuation(std::string_view payload);
  // The status of the server's error challenge ("401", "invalid_token"), empty when none came.
  const std::string& ServerStatus() const { return status_; }
  // The text to log for what OnContinuation returned: never the token.
  const char* LastLogText() const { return lastLog_; }

 private:
  OAuthMechanism mechanism_ = OAuthMechanism::kNone;
  std::string initial_;
  bool initialSent_ = false;
  std::string status_;
  const char* lastLog_ = "";
};

}  // namespace postwink
