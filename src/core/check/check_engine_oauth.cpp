// The check engine's side of OAuth 2.0: an account's access token is put in place before its
// connection opens; while the provider gets one, the cycle waits without blocking.

#include <new>

#include "core/check/check_engine.h"
#include "core/oauth/oauth_settings.h"
#include "core/oauth/oauth_texts.h"

namespace postwink {
namespace {

// The provider bounds its own requests; this only guards against one that never answers.
constexpr int kTokenWaitMs = kTokenRequestTimeoutMs + 10000;

}  // namespace

CheckEngine::TokenStep CheckEngine::TakeAccessToken(int position, Account& account) {
  waitingForToken_ = false;
  account.accessToken.clear();
  std::optional<OAuthSettings> oauth = OAuthSettingsOf(FieldsOf(account));
  if (!oauth) return TokenStep::kReady;
  TokenAnswer answer{TokenState::kFailed, {}, texts::kOAuthNotSignedIn, true};
  // No connection, and so no token, for an account whose token would travel in clear.
  if (security_.mode == SecurityMode::kNone) {
    answer = {TokenState::kFailed, {}, texts::kOAuthNeedsTls, false};
  } else if (tokens_ != nullptr) {
    std::weak_ptr<bool> alive = tokenAlive_;
    const Account* asking = &account;
    answer = tokens_->AccessToken(*oauth, [this, alive, asking] {
      if (!alive.expired()) OnTokenChanged(asking);
    });
  }
  switch (answer.state) {
    case TokenState::kReady:
      account.accessToken = std::move(answer.accessToken);
      return TokenStep::kReady;
    case TokenState::kPending:
      waitingForToken_ = true;
      host_.StartTimer(CheckTimer::kServerTimeout, kTokenWaitMs);
      return TokenStep::kWaiting;
    case TokenState::kFailed:
      break;
  }
  FailAccount(position, answer.error);
  if (answer.signInNeeded) host_.SignInNeeded(position);
  return TokenStep::kFailed;
}

void CheckEngine::OnTokenChanged(const Account* account) {
  if (!waitingForToken_ || activeSocket_ != kResolvingSocket || current_ != account) return;
  try {
    int position = PositionOf(current_);
    if (TakeAccessToken(position, *current_) == TokenStep::kReady) ContinueAccountCheck(position);
  } catch (const std::bad_alloc&) {
    OnOutOfMemory();
  }
}

void CheckEngine::TokenRefused(const Account& account) {
  if (tokens_ == nullptr) return;
  if (std::optional<OAuthSettings> oauth = OAuthSettingsOf(FieldsOf(account))) {
    tokens_->Refused(*oauth);
  }
}

}  // namespace postwink
