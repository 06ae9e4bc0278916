#include "core/oauth/token_provider.h"

#include <utility>
#include <vector>

#include "core/oauth/oauth_texts.h"
#include "core/oauth/pkce.h"
#include "core/oauth/redirect_request.h"
#include "core/oauth/token_requests.h"
#include "core/platform/system.h"

namespace postwink {
namespace {

// A command's token is used for the check that asked for it; the next check runs the command
// again (the user's tool keeps its own tokens and knows their lifetime).
constexpr int64_t kCommandTokenLifetimeMs = 60 * 1000;

}  // namespace

struct TokenProvider::Entry {
  std::string accessToken;
  int64_t validUntilMs = 0;
  bool busy = false;
  std::vector<std::function<void()>> waiters;
  // A failure waiting to be answered to the next ask.
  std::optional<TokenAnswer> failure;
};

struct TokenProvider::SignIn {
  OAuthSettings settings;
  std::function<void(SignInOutcome)> done;
  std::string state;
  std::string verifier;
  std::string redirectUri;
  bool exchanging = false;
};

TokenProvider::TokenProvider(OAuthPlatform& platform, const Clock& clock)
    : platform_(platform), clock_(clock), alive_(std::make_shared<bool>(true)) {}

TokenProvider::~TokenProvider() {
  if (signIn_ && platform_.listener) platform_.listener->Stop();
}

TokenProvider::Entry& TokenProvider::EntryFor(const OAuthSettings& settings) {
  std::string key =
      settings.tokenCommand.empty() ? TokenStoreKey(settings) : "command\n" + settings.tokenCommand;
  std::unique_ptr<Entry>& entry = entries_[key];
  if (!entry) entry = std::make_unique<Entry>();
  return *entry;
}

void TokenProvider::Finish(Entry& entry, std::optional<TokenAnswer> failure) {
  entry.busy = false;
  entry.failure = std::move(failure);
  std::vector<std::function<void()>> waiters = std::move(entry.waiters);
  entry.waiters.clear();
  for (auto& waiter : waiters) {
    if (waiter) waiter();
  }
}

TokenAnswer TokenProvider::AccessToken(const OAuthSettings& settings,
                                       std::function<void()> changed) {
  Entry& entry = EntryFor(settings);
  const int64_t now = clock_.MonotonicMs();
  const int64_t margin = settings.tokenCommand.empty() ? kRefreshMarginMs : 0;
  if (!entry.accessToken.empty() && now + margin < entry.validUntilMs) {
    return {TokenState::kReady, entry.accessToken, {}, false};
  }
  if (entry.failure) {
    TokenAnswer failure = std::move(*entry.failure);
    entry.failure.reset();
    return failure;
  }
  TokenAnswer pending;
  if (entry.busy) {
    entry.waiters.push_back(std::move(changed));
    return pending;
  }
  entry.accessToken.clear();
  if (!settings.tokenCommand.empty()) {
    entry.busy = true;
    entry.waiters.push_back(std::move(changed));
    std::weak_ptr<bool> alive = alive_;
    Entry* e = &entry;
    platform_.commands.Run(
        settings.tokenCommand, kTokenCommandTimeoutMs, kMaxTokenCommandBytes,
        [this, alive, e](CommandOutput output) {
          if (alive.expired()) return;
          if (!output.ok) {
            Finish(*e,
                   TokenAnswer{
                       TokenState::kFailed, {}, texts::kOAuthCommandFailed + output.error, false});
          } else if (output.firstLine.empty()) {
            Finish(*e, TokenAnswer{TokenState::kFailed, {}, texts::kOAuthCommandEmpty, false});
          } else if (!IsSendableToken(output.firstLine)) {
            Finish(*e, TokenAnswer{TokenState::kFailed, {}, texts::kOAuthUnsendableToken, false});
          } else {
            e->accessToken = std::move(output.firstLine);
            e->validUntilMs = clock_.MonotonicMs() + kCommandTokenLifetimeMs;
            Finish(*e, std::nullopt);
          }
        });
    return AnswerAfterStart(entry);
  }
  if (const char* problem = OAuthSettingsProblem(settings)) {
    return {TokenState::kFailed, {}, problem, false};
  }
  std::optional<std::string> refresh = platform_.store.Load(TokenStoreKey(settings));
  if (!refresh || refresh->empty()) {
    return {TokenState::kFailed, {}, texts::kOAuthNotSignedIn, true};
  }
  entry.busy = true;
  entry.waiters.push_back(std::move(changed));
  HttpsPost post;
  post.url = settings.tokenUrl;
  post.formBody = RefreshForm(settings, *refresh);
  post.timeoutMs = requestTimeoutMs_;
  std::weak_ptr<bool> alive = alive_;
  Entry* e = &entry;
  OAuthSettings copy = settings;
  platform_.https.Post(post, [this, alive, e, copy](HttpsAnswer answer) {
    if (alive.expired()) return;
    TokenGrant grant = ReadTokenAnswer(answer);
    if (!grant.ok) {
      if (grant.signInNeeded) {
        platform_.store.Erase(TokenStoreKey(copy));
        grant.error = std::string(texts::kOAuthSignInAgain) + "\n\n" + grant.error;
      }
      Finish(*e, TokenAnswer{TokenState::kFailed, {}, grant.error, grant.signInNeeded});
      return;
    }
    Keep(*e, copy, grant);
    Finish(*e, std::nullopt);
  });
  return AnswerAfterStart(entry);
}

TokenAnswer TokenProvider::AnswerAfterStart(Entry& entry) {
  // A platform that answers at once has already finished.
  if (entry.busy) return {};
  if (entry.failure) {
    TokenAnswer failure = std::move(*entry.failure);
    entry.failure.reset();
    return failure;
  }
  return {TokenState::kReady, entry.accessToken, {}, false};
}

bool TokenProvider::Keep(Entry& entry, const OAuthSettings& settings, const TokenGrant& grant) {
  entry.accessToken = grant.accessToken;
  entry.validUntilMs = clock_.MonotonicMs() + grant.expiresIn * 1000;
  // An endpoint that keeps the refresh token sends none back: the stored one stays.
  return grant.refreshToken.empty() ||
         platform_.store.Save(TokenStoreKey(settings), grant.refreshToken);
}

void TokenProvider::Refused(const OAuthSettings& settings) {
  Entry& entry = EntryFor(settings);
  if (entry.busy) return;
  entry.accessToken.clear();
  entry.validUntilMs = 0;
}

bool TokenProvider::SignedIn(const OAuthSettings& settings) {
  std::optional<std::string> refresh = platform_.store.Load(TokenStoreKey(settings));
  return refresh && !refresh->empty();
}

void TokenProvider::SignOut(const OAuthSettings& settings) {
  platform_.store.Erase(TokenStoreKey(settings));
  Entry& entry = EntryFor(settings);
  entry.accessToken.clear();
  entry.validUntilMs = 0;
}

bool TokenProvider::SigningIn() const { return signIn_ != nullptr; }

void TokenProvider::CancelSignIn() {
  if (!signIn_) return;
  if (platform_.listener) platform_.listener->Stop();
  signIn_.reset();
}

void TokenProvider::EndSignIn(SignInOutcome outcome) {
  if (!signIn_) return;
  std::function<void(SignInOutcome)> done = std::move(signIn_->done);
  signIn_.reset();
  if (done) done(std::move(outcome));
}

bool TokenProvider::BeginSignIn(const OAuthSettings& settings,
                                std::function<void(SignInOutcome)> done, int timeoutMs) {
  if (signIn_) return false;
  auto fail = [&done](const char* text) {
    if (done) done({false, text});
    return true;
  };
  if (!settings.tokenCommand.empty()) return fail(texts::kOAuthWithCommand);
  if (const char* problem = OAuthSettingsProblem(settings)) return fail(problem);
  if (!platform_.listener) return fail(texts::kOAuthNoListener);
  if (!platform_.browser) return fail(texts::kOAuthNoBrowser);
  std::optional<PkcePair> pkce = MakePkce(platform_.random);
  std::optional<std::string> state = MakeState(platform_.random);
  if (!pkce || !state) return fail(texts::kOAuthNoRandom);
  signIn_ = std::make_unique<SignIn>();
  signIn_->settings = settings;
  signIn_->done = std::move(done);
  signIn_->state = std::move(*state);
  signIn_->verifier = std::move(pkce->verifier);
  std::weak_ptr<bool> alive = alive_;
  int port = platform_.listener->Start(
      [this, alive](std::string_view head) {
        if (alive.expired()) return LoopbackAnswer{{}, true};
        return OnRedirect(head);
      },
      [this, alive] {
        if (alive.expired()) return;
        EndSignIn({false, texts::kOAuthSignInTimeout});
      },
      timeoutMs);
  if (port <= 0) {
    EndSignIn({false, texts::kOAuthNoListener});
    return true;
  }
  signIn_->redirectUri = "http://127.0.0.1:" + std::to_string(port) + "/";
  std::string url =
      AuthorizationAddress(settings, signIn_->redirectUri, signIn_->state, pkce->challenge);
  if (!platform_.browser->Open(url)) {
    platform_.listener->Stop();
    EndSignIn({false, texts::kOAuthNoBrowser});
  }
  return true;
}

LoopbackAnswer TokenProvider::OnRedirect(std::string_view head) {
  if (!signIn_ || signIn_->exchanging) return {RedirectAnswerPage(RedirectResult{}), false};
  RedirectResult result = ParseRedirectRequest(head, signIn_->state);
  LoopbackAnswer answer{RedirectAnswerPage(result), result.kind != RedirectResult::Kind::kOther};
  switch (result.kind) {
    case RedirectResult::Kind::kOther:
      return answer;
    case RedirectResult::Kind::kDenied: {
      std::string text = texts::kOAuthSignInDenied + result.error;
      if (!result.errorDescription.empty()) text += ": " + result.errorDescription;
      EndSignIn({false, std::move(text)});
      return answer;
    }
    case RedirectResult::Kind::kStaleState:
      EndSignIn({false, texts::kOAuthStaleState});
      return answer;
    case RedirectResult::Kind::kNoCode:
      EndSignIn({false, texts::kOAuthNoCode});
      return answer;
    case RedirectResult::Kind::kCode:
      break;
  }
  signIn_->exchanging = true;
  HttpsPost post;
  post.url = signIn_->settings.tokenUrl;
  post.formBody = CodeForm(signIn_->settings, result.code, signIn_->redirectUri, signIn_->verifier);
  post.timeoutMs = requestTimeoutMs_;
  std::weak_ptr<bool> alive = alive_;
  platform_.https.Post(post, [this, alive](HttpsAnswer reply) {
    if (alive.expired() || !signIn_) return;
    EndSignIn(TakeTokenAnswer(signIn_->settings, reply));
  });
  return answer;
}

SignInOutcome TokenProvider::TakeTokenAnswer(const OAuthSettings& settings,
                                             const HttpsAnswer& answer) {
  TokenGrant grant = ReadTokenAnswer(answer);
  if (!grant.ok) return {false, grant.error};
  Entry& entry = EntryFor(settings);
  entry.failure.reset();
  if (!Keep(entry, settings, grant)) return {false, texts::kOAuthStoreFailed};
  return {true, {}};
}

}  // namespace postwink
