#include "core/settings_ui/sign_in_model.h"

#include "core/oauth/oauth_settings.h"
#include "core/oauth/oauth_texts.h"
#include "core/settings_ui/settings_ui_texts.h"

namespace postwink {
namespace {

constexpr OAuthProvider kProviderOrder[] = {OAuthProvider::kMicrosoft, OAuthProvider::kGoogle,
                                            OAuthProvider::kCustom};

}  // namespace

SignInRows SignInRowsOf(const AccountFields& fields) {
  std::optional<OAuthSettings> oauth = OAuthSettingsOf(fields);
  if (!oauth) return {};
  SignInRows rows{1, -1};
  for (int i = 0; i < 3; ++i) {
    if (!oauth->providerInvalid && oauth->provider == kProviderOrder[i]) rows.provider = i;
  }
  return rows;
}

void TakeSignInRows(AccountFields& fields, SignInRows rows, const OAuthKeys& typed) {
  std::string provider = fields.oauth.provider;
  fields.oauth = typed;
  if (rows.method == 0) {
    fields.oauth.provider.clear();
    fields.oauth.tokenCommand.clear();
    return;
  }
  // No choice in the drop-down keeps what the file says (a value it cannot show, or none
  // beside a token command).
  fields.oauth.provider = rows.provider >= 0 && rows.provider < 3
                              ? OAuthProviderName(kProviderOrder[rows.provider])
                              : provider;
}

SignInEnabling SignInEnablingOf(SignInRows rows, const std::string& tokenCommand) {
  SignInEnabling e;
  if (rows.method == 0) return e;
  e.password = false;
  e.oauth = true;
  e.custom = rows.provider == 2;
  // A token command owns the tokens: there is nothing to sign in to here.
  e.signInButton = tokenCommand.empty();
  return e;
}

std::string SignInStateText(const AccountFields& fields, bool signedIn, bool signingIn) {
  std::optional<OAuthSettings> oauth = OAuthSettingsOf(fields);
  if (!oauth) return texts::kSignInByPassword;
  if (!oauth->tokenCommand.empty()) return texts::kSignInByCommand;
  if (signingIn) return texts::kSignInRunning;
  return signedIn ? texts::kSignInDone : texts::kSignInNotYet;
}

std::optional<std::string> SignInProblem(const AccountFields& fields) {
  std::optional<OAuthSettings> oauth = OAuthSettingsOf(fields);
  if (!oauth) return std::nullopt;
  // The token would travel in clear.
  if (fields.security == 0) return texts::kOAuthNeedsTls;
  if (fields.user.empty()) return texts::kOAuthNoUser;
  if (!oauth->tokenCommand.empty()) return std::nullopt;
  if (const char* problem = OAuthSettingsProblem(*oauth)) return problem;
  return std::nullopt;
}

}  // namespace postwink
