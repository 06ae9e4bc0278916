// The accounts page's sign-in rows: password or OAuth 2.0, the provider and client, and the
// browser sign-in started from the "サインイン..." button.
#include <span>

#include "core/oauth/oauth_settings.h"
#include "core/oauth/oauth_texts.h"
#include "win32/resource.h"
#include "win32/settings/account_page.h"
#include "win32/wide_text.h"

namespace postwink::win {
namespace {

constexpr int kOAuthTextIds[] = {IDC_ACCOUNT_OAUTH_CLIENT,   IDC_ACCOUNT_OAUTH_SECRET,
                                 IDC_ACCOUNT_OAUTH_AUTH_URL, IDC_ACCOUNT_OAUTH_TOKEN_URL,
                                 IDC_ACCOUNT_OAUTH_SCOPE,    IDC_ACCOUNT_OAUTH_COMMAND};

void AddChoices(HWND combo, std::span<const char* const> choices) {
  for (const char* choice : choices) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(choice).c_str()));
  }
}

}  // namespace

void AccountPage::FillSignInChoices() {
  AddChoices(Item(IDC_ACCOUNT_SIGNIN_METHOD), kSignInMethods);
  AddChoices(Item(IDC_ACCOUNT_OAUTH_PROVIDER), kSignInProviders);
  for (int id : kOAuthTextIds) SendMessageW(Item(id), EM_LIMITTEXT, kMaxOAuthText, 0);
}

void AccountPage::ShowSignIn(const AccountFields& f) {
  SignInRows rows = SignInRowsOf(f);
  SendMessageW(Item(IDC_ACCOUNT_SIGNIN_METHOD), CB_SETCURSEL, static_cast<WPARAM>(rows.method), 0);
  SendMessageW(Item(IDC_ACCOUNT_OAUTH_PROVIDER), CB_SETCURSEL, static_cast<WPARAM>(rows.provider),
               0);
  SetItemText(IDC_ACCOUNT_OAUTH_CLIENT, f.oauth.clientId);
  SetItemText(IDC_ACCOUNT_OAUTH_SECRET, f.oauth.clientSecret);
  SetItemText(IDC_ACCOUNT_OAUTH_AUTH_URL, f.oauth.authUrl);
  SetItemText(IDC_ACCOUNT_OAUTH_TOKEN_URL, f.oauth.tokenUrl);
  SetItemText(IDC_ACCOUNT_OAUTH_SCOPE, f.oauth.scope);
  SetItemText(IDC_ACCOUNT_OAUTH_COMMAND, f.oauth.tokenCommand);
}

SignInRows AccountPage::ChosenSignInRows() {
  SignInRows rows;
  rows.method = SendMessageW(Item(IDC_ACCOUNT_SIGNIN_METHOD), CB_GETCURSEL, 0, 0) == 1 ? 1 : 0;
  rows.provider =
      static_cast<int>(SendMessageW(Item(IDC_ACCOUNT_OAUTH_PROVIDER), CB_GETCURSEL, 0, 0));
  return rows;
}

void AccountPage::ReadSignIn(AccountFields& f) {
  OAuthKeys typed;
  typed.clientId = ItemText(IDC_ACCOUNT_OAUTH_CLIENT);
  typed.clientSecret = ItemText(IDC_ACCOUNT_OAUTH_SECRET);
  typed.authUrl = ItemText(IDC_ACCOUNT_OAUTH_AUTH_URL);
  typed.tokenUrl = ItemText(IDC_ACCOUNT_OAUTH_TOKEN_URL);
  typed.scope = ItemText(IDC_ACCOUNT_OAUTH_SCOPE);
  typed.tokenCommand = ItemText(IDC_ACCOUNT_OAUTH_COMMAND);
  TakeSignInRows(f, ChosenSignInRows(), typed);
}

void AccountPage::EnableSignInControls() {
  const bool enabled = model_->ControlsEnabled();
  SignInEnabling e = SignInEnablingOf(ChosenSignInRows(), ItemText(IDC_ACCOUNT_OAUTH_COMMAND));
  Enable(IDC_ACCOUNT_PASSWORD, enabled && e.password);
  Enable(IDC_ACCOUNT_APOP, enabled && e.password && ChosenProtocol() != kProtocolImap);
  for (int id : {IDC_ACCOUNT_OAUTH_PROVIDER, IDC_ACCOUNT_OAUTH_CLIENT, IDC_ACCOUNT_OAUTH_SECRET,
                 IDC_ACCOUNT_OAUTH_COMMAND}) {
    Enable(id, enabled && e.oauth);
  }
  for (int id :
       {IDC_ACCOUNT_OAUTH_AUTH_URL, IDC_ACCOUNT_OAUTH_TOKEN_URL, IDC_ACCOUNT_OAUTH_SCOPE}) {
    Enable(id, enabled && e.custom);
  }
  Enable(IDC_ACCOUNT_SIGNIN,
         enabled && e.signInButton && !signingIn_ && context_.tokens != nullptr);
  ShowSignInState();
}

void AccountPage::OnSignInMethodChosen() {
  // OAuth chosen afresh starts from the provider most accounts need.
  SignInRows rows = ChosenSignInRows();
  if (rows.method == 1 && rows.provider < 0 && ItemText(IDC_ACCOUNT_OAUTH_COMMAND).empty()) {
    SendMessageW(Item(IDC_ACCOUNT_OAUTH_PROVIDER), CB_SETCURSEL, 0, 0);
  }
  EnableSignInControls();
}

void AccountPage::ShowSignInState() {
  // What the rows say now, without the number fields (whose check would speak up while typing).
  AccountFields f = model_->ShownFields();
  f.user = ItemText(IDC_ACCOUNT_USER);
  f.protocol = ChosenProtocol();
  ReadSignIn(f);
  std::optional<OAuthSettings> oauth = OAuthSettingsOf(f);
  bool signedIn = context_.tokens != nullptr && oauth && context_.tokens->SignedIn(*oauth);
  SetItemText(IDC_ACCOUNT_SIGNIN_STATE, SignInStateText(f, signedIn, signingIn_));
}

void AccountPage::OnSignIn() {
  if (context_.tokens == nullptr || signingIn_) return;
  std::optional<AccountFields> f = ReadControls();
  if (!f) return;
  std::optional<OAuthSettings> oauth = OAuthSettingsOf(*f);
  if (!oauth) return;
  if (std::optional<std::string> problem = SignInProblem(*f)) {
    ShowMessage(*problem, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  std::weak_ptr<bool> alive = alive_;
  signingIn_ = true;
  bool started = context_.tokens->BeginSignIn(*oauth, [this, alive](SignInOutcome outcome) {
    if (alive.expired()) return;
    signingIn_ = false;
    EnableSignInControls();
    if (!outcome.ok) ShowMessage(outcome.error, MB_OK | MB_ICONEXCLAMATION);
  });
  if (!started) {
    signingIn_ = false;
    ShowMessage(texts::kOAuthBusy, MB_OK | MB_ICONEXCLAMATION);
  }
  EnableSignInControls();
}

}  // namespace postwink::win
