#pragma once
// Access tokens for the accounts that sign in with OAuth 2.0. The check engine asks before it
// opens an account's connection and never waits: the answer is a token, "pending" (the token
// command or a refresh runs; changed is called when it is over) or a failure with its message.
// Access tokens live in memory only and are refreshed a while before they expire; refresh tokens
// go to the platform's private store. The browser sign-in (authorization code with PKCE and a
// loopback redirect) runs from here too, for the settings sheet and postwink-cli.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/oauth/oauth_platform.h"
#include "core/oauth/oauth_settings.h"

namespace postwink {

class Clock;
struct TokenGrant;

// A token is refreshed when it has less than this left, so that a check never starts with one
// about to run out.
inline constexpr int64_t kRefreshMarginMs = 5 * 60 * 1000;
// How long an interactive sign-in waits for the browser.
inline constexpr int kSignInTimeoutMs = 5 * 60 * 1000;

enum class TokenState { kReady, kPending, kFailed };

struct TokenAnswer {
  TokenState state = TokenState::kPending;
  std::string accessToken = {};  // kReady
  std::string error = {};        // kFailed: the message for the user
  // kFailed because the stored refresh token is missing, revoked or expired.
  bool signInNeeded = false;
};

struct SignInOutcome {
  bool ok = false;
  std::string error = {};  // the message for the user when not ok
};

class TokenProvider {
 public:
  TokenProvider(OAuthPlatform& platform, const Clock& clock);
  ~TokenProvider();
  TokenProvider(const TokenProvider&) = delete;
  TokenProvider& operator=(const TokenProvider&) = delete;

  // Never blocks. A failure is answered once per ask; the next ask tries again.
  TokenAnswer AccessToken(const OAuthSettings& settings, std::function<void()> changed = {});
  // The server refused the token it was given: the next ask gets a fresh one.
  void Refused(const OAuthSettings& settings);

  // A refresh token is stored for the settings.
  bool SignedIn(const OAuthSettings& settings);
  void SignOut(const OAuthSettings& settings);

  // Opens the browser on the authorization page and waits on the loopback listener; done is
  // called once with the outcome (after the code was exchanged and the refresh token stored).
  // False, with done not called, when a sign-in is already running.
  bool BeginSignIn(const OAuthSettings& settings, std::function<void(SignInOutcome)> done,
                   int timeoutMs = kSignInTimeoutMs);
  void CancelSignIn();
  bool SigningIn() const;

  // How long a request to the token endpoint may take (kTokenRequestTimeoutMs unless set).
  void SetRequestTimeoutMs(int ms) { requestTimeoutMs_ = ms; }

  // Takes the answer of a grant made elsewhere (the device grant of postwink-cli) as a sign-in.
  SignInOutcome TakeTokenAnswer(const OAuthSettings& settings, const HttpsAnswer& answer);

 private:
  struct Entry;
  struct SignIn;
  Entry& EntryFor(const OAuthSettings& settings);
  // The outcome is known: waiters are told, and a failure waits for the next ask.
  void Finish(Entry& entry, std::optional<TokenAnswer> failure);
  TokenAnswer AnswerAfterStart(Entry& entry);
  // Keeps the access token and stores a new refresh token; false when it could not be stored.
  bool Keep(Entry& entry, const OAuthSettings& settings, const TokenGrant& grant);
  void EndSignIn(SignInOutcome outcome);
  LoopbackAnswer OnRedirect(std::string_view head);

  OAuthPlatform& platform_;
  const Clock& clock_;
  std::map<std::string, std::unique_ptr<Entry>> entries_;
  std::unique_ptr<SignIn> signIn_;
  // Callbacks the platform makes after the provider is gone find this expired.
  std::shared_ptr<bool> alive_;
  int requestTimeoutMs_ = kTokenRequestTimeoutMs;
};

}  // namespace postwink
