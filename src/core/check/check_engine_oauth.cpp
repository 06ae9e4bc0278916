// The check engine's side of OAuth 2.0: an account's access token is put in place before its
// connection opens; while the provider gets one, the cycle waits without blocking.

#include <new>

#include "core/check/access_token.h"
#include "core/check/check_engine.h"

namespace postwink {

CheckEngine::TokenStep CheckEngine::TakeAccessToken(int position, Account& account) {
  waitingForToken_ = false;
  std::weak_ptr<bool> alive = tokenAlive_;
  const Account* asking = &account;
  TokenAnswer answer = PlaceAccessToken(tokens_, account, security_.mode, [this, alive, asking] {
    if (!alive.expired()) OnTokenChanged(asking);
  });
  switch (answer.state) {
    case TokenState::kReady:
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

}  // namespace postwink
