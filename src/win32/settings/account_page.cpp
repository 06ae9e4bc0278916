#include "win32/settings/account_page.h"

#include "core/settings_ui/settings_ui_texts.h"
#include "win32/resource.h"
#include "win32/wide_text.h"

namespace postwink::win {
namespace {

constexpr int kMaxFieldChars = 64;
// 64 hexadecimal digits with a colon between each pair, as the fingerprint is usually copied.
constexpr int kMaxFingerprintChars = 95;
// PROTOCOL 0 and 1.
constexpr const char* kProtocols[] = {"POP3", "IMAP"};
constexpr int kMaxFoldersChars = 1024;

}  // namespace

AccountPage::AccountPage(int position, SheetContext& context)
    : SettingsPage(IDD_PROPPAGE1, position, context) {}

AccountPage::~AccountPage() {
  if (signingIn_ && context_.tokens != nullptr) context_.tokens->CancelSignIn();
}

void AccountPage::OnInit() {
  model_ =
      std::make_unique<AccountsPageModel>(context_.engine.Accounts(), context_.settings.st3Rgb);
  colour_.Attach(Item(IDC_ACCOUNT_COLOUR));
  for (int id : {IDC_ACCOUNT_SERVER, IDC_ACCOUNT_USER, IDC_ACCOUNT_PASSWORD}) {
    SendMessageW(Item(id), EM_LIMITTEXT, kMaxFieldChars, 0);
  }
  SendMessageW(Item(IDC_ACCOUNT_FINGERPRINT), EM_LIMITTEXT, kMaxFingerprintChars, 0);
  SendMessageW(Item(IDC_ACCOUNT_PORT), EM_LIMITTEXT, 5, 0);
  for (const char* protocol : kProtocols) {
    SendMessageW(Item(IDC_ACCOUNT_PROTOCOL), CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(Widen(protocol).c_str()));
  }
  SendMessageW(Item(IDC_ACCOUNT_FOLDERS), EM_LIMITTEXT, kMaxFoldersChars, 0);
  SendMessageW(Item(IDC_ACCOUNT_INTERVAL), EM_LIMITTEXT, 5, 0);
  FillSignInChoices();
  FillNames();
  ShowAccount();
}

void AccountPage::FillSecurityModes(int protocol) {
  HWND combo = Item(IDC_ACCOUNT_SECURITY);
  const LRESULT chosen = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const char* mode : SecurityModeLabels(protocol)) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(mode).c_str()));
  }
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

void AccountPage::FillNames() {
  HWND combo = Item(IDC_ACCOUNT_MAILBOX);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const std::string& name : model_->Names()) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(name).c_str()));
  }
}

void AccountPage::ShowAccount() {
  Filling([this] {
    const AccountFields f = model_->ShownFields();
    SendMessageW(Item(IDC_ACCOUNT_MAILBOX), CB_SETCURSEL, static_cast<WPARAM>(model_->Shown()), 0);
    SetItemText(IDC_ACCOUNT_MAILBOX, f.mailbox);
    typedName_ = f.mailbox;
    SetChecked(IDC_ACCOUNT_ENABLE, f.enabled != 0);
    colour_.SetColour(static_cast<uint32_t>(f.colour));
    SetItemText(IDC_ACCOUNT_SERVER, f.server);
    SetItemText(IDC_ACCOUNT_PORT, std::to_string(f.port));
    FillSecurityModes(f.protocol);
    // A hand-edited value that is none of the three selects nothing and is kept.
    SendMessageW(Item(IDC_ACCOUNT_SECURITY), CB_SETCURSEL,
                 static_cast<WPARAM>(f.security >= 0 && f.security <= 2 ? f.security : -1), 0);
    SetItemText(IDC_ACCOUNT_FINGERPRINT, f.tlsFingerprint);
    SetItemText(IDC_ACCOUNT_USER, f.user);
    SetItemText(IDC_ACCOUNT_PASSWORD, f.password);
    SetItemText(IDC_ACCOUNT_INTERVAL, std::to_string(f.interval));
    SetChecked(IDC_ACCOUNT_OFFLINE, f.offlineGuard != 0);
    SetChecked(IDC_ACCOUNT_APOP, f.apop != 0);
    SendMessageW(Item(IDC_ACCOUNT_PROTOCOL), CB_SETCURSEL,
                 static_cast<WPARAM>(f.protocol == kProtocolImap ? 1 : 0), 0);
    SetItemText(IDC_ACCOUNT_FOLDERS, f.folders);
    SetChecked(IDC_ACCOUNT_PUSH, f.push != 0);
    ShowSignIn(f);
  });
  const bool enabled = model_->ControlsEnabled();
  for (int id : {IDC_ACCOUNT_MAILBOX, IDC_ACCOUNT_ENABLE, IDC_ACCOUNT_COLOUR, IDC_ACCOUNT_SERVER,
                 IDC_ACCOUNT_PORT, IDC_ACCOUNT_SECURITY, IDC_ACCOUNT_FINGERPRINT, IDC_ACCOUNT_USER,
                 IDC_ACCOUNT_PASSWORD, IDC_ACCOUNT_INTERVAL, IDC_ACCOUNT_OFFLINE, IDC_ACCOUNT_APOP,
                 IDC_ACCOUNT_DELETE, IDC_ACCOUNT_PROTOCOL, IDC_ACCOUNT_SIGNIN_METHOD}) {
    Enable(id, enabled);
  }
  EnableProtocolControls();
  EnableSignInControls();
}

int AccountPage::ChosenProtocol() {
  return SendMessageW(Item(IDC_ACCOUNT_PROTOCOL), CB_GETCURSEL, 0, 0) == 1 ? kProtocolImap
                                                                           : kProtocolPop3;
}

void AccountPage::EnableProtocolControls() {
  const bool enabled = model_->ControlsEnabled();
  const bool imap = ChosenProtocol() == kProtocolImap;
  Enable(IDC_ACCOUNT_FOLDERS, enabled && imap);
  Enable(IDC_ACCOUNT_PUSH, enabled && imap);
  Enable(IDC_ACCOUNT_APOP, enabled && !imap && SignInEnablingOf(ChosenSignInRows(), "").password);
}

std::optional<AccountFields> AccountPage::ReadControls(bool choosing) {
  AccountFields f = model_->ShownFields();
  if (!model_->ControlsEnabled()) return f;
  if (!choosing) typedName_ = ItemText(IDC_ACCOUNT_MAILBOX);
  std::optional<int> port = ReadNumber(IDC_ACCOUNT_PORT, kPortRange);
  if (!port) return std::nullopt;
  std::optional<int> interval = ReadNumber(IDC_ACCOUNT_INTERVAL, kIntervalRange);
  if (!interval) return std::nullopt;
  f.mailbox = typedName_;
  f.server = ItemText(IDC_ACCOUNT_SERVER);
  f.port = *port;
  f.user = ItemText(IDC_ACCOUNT_USER);
  f.password = ItemText(IDC_ACCOUNT_PASSWORD);
  f.apop = Checked(IDC_ACCOUNT_APOP) ? 1 : 0;
  f.interval = *interval;
  f.enabled = Checked(IDC_ACCOUNT_ENABLE) ? 1 : 0;
  f.offlineGuard = Checked(IDC_ACCOUNT_OFFLINE) ? 1 : 0;
  f.colour = static_cast<int>(colour_.Colour());
  int security = static_cast<int>(SendMessageW(Item(IDC_ACCOUNT_SECURITY), CB_GETCURSEL, 0, 0));
  if (security >= 0) f.security = security;
  f.tlsFingerprint = ItemText(IDC_ACCOUNT_FINGERPRINT);
  f.protocol = ChosenProtocol();
  f.folders = ItemText(IDC_ACCOUNT_FOLDERS);
  f.push = Checked(IDC_ACCOUNT_PUSH) ? 1 : 0;
  ReadSignIn(f);
  return f;
}

void AccountPage::OnSelectAccount() {
  int chosen = static_cast<int>(SendMessageW(Item(IDC_ACCOUNT_MAILBOX), CB_GETCURSEL, 0, 0));
  std::optional<AccountFields> shown = ReadControls(true);
  if (!shown) {
    // The refused number is to be mended on the account shown, with all else typed into it.
    Filling([this] {
      SendMessageW(Item(IDC_ACCOUNT_MAILBOX), CB_SETCURSEL, static_cast<WPARAM>(model_->Shown()),
                   0);
      SetItemText(IDC_ACCOUNT_MAILBOX, typedName_);
    });
    return;
  }
  model_->Show(chosen, *shown);
  FillNames();
  ShowAccount();
}

void AccountPage::ProposePort() {
  int security = static_cast<int>(SendMessageW(Item(IDC_ACCOUNT_SECURITY), CB_GETCURSEL, 0, 0));
  NumberField port = ReadNumberField(ItemText(IDC_ACCOUNT_PORT), kPortRange);
  if (security < 0 || !port.value) return;
  int proposed = ProposedPort(ChosenProtocol(), security, *port.value);
  if (proposed != *port.value) SetItemText(IDC_ACCOUNT_PORT, std::to_string(proposed));
}

void AccountPage::OnNewAccount() {
  std::optional<AccountFields> shown = ReadControls();
  if (!shown) return;
  if (std::optional<std::string> refusal = model_->AddAccount(*shown)) {
    ShowMessage(*refusal, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  FillNames();
  ShowAccount();
  MarkModified();
}

void AccountPage::OnDeleteAccount() {
  if (ShowMessage(texts::kDeleteAccountQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  model_->DeleteShown();
  FillNames();
  ShowAccount();
  MarkModified();
}

bool AccountPage::Validate() {
  // The shown account's numbers; the rest were checked when they were last shown.
  return !model_ || ReadControls().has_value();
}

bool AccountPage::Apply() {
  std::optional<AccountFields> shown = ReadControls();
  if (!shown) return false;
  if (std::optional<AccountsPageModel::Refusal> refusal = model_->Validate(*shown)) {
    model_->Show(refusal->position, model_->ShownFields());
    FillNames();
    ShowAccount();
    ShowMessage(refusal->message, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  context_.engine.ApplyAccounts(model_->Copies());
  model_->Rebase(context_.engine.Accounts());
  return true;
}

std::optional<LRESULT> AccountPage::OnPageMessage(UINT msg, WPARAM wParam, LPARAM) {
  if (msg != WM_COMMAND) return std::nullopt;
  switch (LOWORD(wParam)) {
    case IDC_ACCOUNT_MAILBOX:
      if (HIWORD(wParam) == CBN_SELCHANGE) {
        OnSelectAccount();
      } else if (HIWORD(wParam) == CBN_EDITCHANGE) {
        typedName_ = ItemText(IDC_ACCOUNT_MAILBOX);
      }
      return 0;
    case IDC_ACCOUNT_SECURITY:
      if (HIWORD(wParam) == CBN_SELCHANGE) ProposePort();
      return 0;
    case IDC_ACCOUNT_PROTOCOL:
      if (HIWORD(wParam) == CBN_SELCHANGE) {
        FillSecurityModes(ChosenProtocol());
        ProposePort();
        EnableProtocolControls();
      }
      return 0;
    case IDC_ACCOUNT_SIGNIN_METHOD:
    case IDC_ACCOUNT_OAUTH_PROVIDER:
      if (HIWORD(wParam) == CBN_SELCHANGE) OnSignInMethodChosen();
      return 0;
    case IDC_ACCOUNT_OAUTH_COMMAND:
      if (HIWORD(wParam) == EN_CHANGE) EnableSignInControls();
      return 0;
    case IDC_ACCOUNT_SIGNIN:
      if (HIWORD(wParam) == BN_CLICKED) OnSignIn();
      return 0;
    case IDC_ACCOUNT_NEW:
      if (HIWORD(wParam) == BN_CLICKED) OnNewAccount();
      return 0;
    case IDC_ACCOUNT_DELETE:
      if (HIWORD(wParam) == BN_CLICKED) OnDeleteAccount();
      return 0;
    default:
      return std::nullopt;
  }
}

}  // namespace postwink::win
