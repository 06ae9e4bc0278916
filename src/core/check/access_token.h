#pragma once
// An account's OAuth 2.0 access token, put in place before its connection opens. The check cycle
// and the push connections ask the same way and never wait: a pending token calls back when
// asking again is worthwhile.

#include <functional>

#include "core/config/account.h"
#include "core/net/security_setting.h"
#include "core/oauth/oauth_platform.h"
#include "core/oauth/token_provider.h"

namespace postwink {

// The provider bounds its own requests; this only guards against one that never answers.
inline constexpr int kTokenWaitMs = kTokenRequestTimeoutMs + 10000;

// Clears account.accessToken, then fills it when the token is ready; ready at once for an account
// that signs in with a password. No token is asked for one that would travel in clear, and
// without a provider the account is not signed in.
TokenAnswer PlaceAccessToken(TokenProvider* tokens, Account& account, SecurityMode security,
                             std::function<void()> changed);

// The server refused the account's token: the next ask gets a fresh one.
void DropRefusedToken(TokenProvider* tokens, const Account& account);

// A refresh token is stored for the account again (a sign-in succeeded since it was lost).
bool SignedInAgain(TokenProvider* tokens, const Account& account);

}  // namespace postwink
