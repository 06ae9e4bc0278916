#pragma once
// CPropertyPage1 ("POP3 サーバ設定"): the accounts, one shown at a time, edited on copies.

#include <memory>
#include <optional>
#include <string>

#include "core/settings_ui/account_page_model.h"
#include "core/settings_ui/sign_in_model.h"
#include "win32/controls/colour_button.h"
#include "win32/settings/settings_page.h"

namespace postwink::win {

class AccountPage : public SettingsPage {
 public:
  AccountPage(int position, SheetContext& context);
  ~AccountPage() override;

  const AccountsPageModel* Model() const { return model_.get(); }

 protected:
  void OnInit() override;
  bool Validate() override;
  bool Apply() override;
  std::optional<LRESULT> OnPageMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  // The shown account as the controls hold it; none after a number field's message. While a
  // choice in the list is made, the field already shows the chosen name, so the name typed
  // before is taken.
  std::optional<AccountFields> ReadControls(bool choosing = false);
  void ShowAccount();
  void FillNames();
  // The security combo's entries in the protocol's words, keeping the chosen one.
  void FillSecurityModes(int protocol);
  void OnSelectAccount();
  // Each protocol and SECURITY has its usual port: choosing one proposes it, and back.
  void ProposePort();
  int ChosenProtocol();
  // Folders and push belong to IMAP, APOP to POP3.
  void EnableProtocolControls();
  void OnNewAccount();
  void OnDeleteAccount();
  // The sign-in rows (account_page_sign_in.cpp).
  void FillSignInChoices();
  void ShowSignIn(const AccountFields& fields);
  SignInRows ChosenSignInRows();
  void ReadSignIn(AccountFields& fields);
  void EnableSignInControls();
  void OnSignInMethodChosen();
  void OnSignIn();
  void ShowSignInState();

  std::unique_ptr<AccountsPageModel> model_;
  CColorButton colour_;
  std::string typedName_;
  // A sign-in started from this page is running; the page ends it if it goes first.
  bool signingIn_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace postwink::win
