#pragma once
// CPropertyPage1 ("POP3 サーバ設定"): the accounts, one shown at a time, edited on copies.

#include <memory>
#include <optional>
#include <string>

#include "core/settings_ui/account_page_model.h"
#include "win32/controls/colour_button.h"
#include "win32/settings/settings_page.h"

namespace postwink::win {

class AccountPage : public SettingsPage {
 public:
  AccountPage(int position, SheetContext& context);

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

  std::unique_ptr<AccountsPageModel> model_;
  CColorButton colour_;
  std::string typedName_;
};

}  // namespace postwink::win
