#include "core/check/access_token.h"

#include <optional>
#include <utility>

#include "core/oauth/oauth_settings.h"
#include "core/oauth/oauth_texts.h"

namespace postwink {

TokenAnswer PlaceAccessToken(TokenProvider* tokens, Account& account, SecurityMode security,
                             std::function<void()> changed) {
  account.accessToken.clear();
  std::optional<OAuthSettings> oauth = OAuthSettingsOf(FieldsOf(account));
  if (!oauth) return {TokenState::kReady, {}, {}, false};
  if (security == SecurityMode::kNone) {
    return {TokenState::kFailed, {}, texts::kOAuthNeedsTls, false};
  }
  if (tokens == nullptr) return {TokenState::kFailed, {}, texts::kOAuthNotSignedIn, true};
  TokenAnswer answer = tokens->AccessToken(*oauth, std::move(changed));
  if (answer.state == TokenState::kReady) account.accessToken = std::move(answer.accessToken);
  return answer;
}

void DropRefusedToken(TokenProvider* tokens, const Account& account) {
  if (tokens == nullptr) return;
  if (std::optional<OAuthSettings> oauth = OAuthSettingsOf(FieldsOf(account))) {
    tokens->Refused(*oauth);
  }
}

bool SignedInAgain(TokenProvider* tokens, const Account& account) {
  std::optional<OAuthSettings> oauth = OAuthSettingsOf(FieldsOf(account));
  return tokens != nullptr && oauth && tokens->SignedIn(*oauth);
}

}  // namespace postwink
