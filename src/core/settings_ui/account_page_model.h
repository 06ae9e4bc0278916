#pragma once
// The accounts page ("POP3 サーバ設定") without its window. It edits copies of the accounts,
// one shown at a time in the controls, and hands the edited list back on Apply, each copy with
// the account it came from, so that the check engine keeps every account's identity.

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/config/account.h"

namespace postwink {

// The port that goes with a newly chosen protocol or SECURITY: a protocol's usual port (110 and
// 995 for POP3, 143 and 993 for IMAP) moves to the one of the chosen protocol, 995 or 993 with
// TLS from the start, 110 or 143 for the plain modes; any other port is the user's own and stays.
int ProposedPort(int protocol, int security, int port);

// The security combo's entries for SECURITY 0, 1 and 2 in the protocol's own words: none, TLS
// from the start (POP3S or IMAPS), and the command that secures a plain connection (STLS or
// STARTTLS).
std::array<const char*, 3> SecurityModeLabels(int protocol);

class AccountsPageModel {
 public:
  // newAccountColour is ST3_RGB, the name colour of an account made on the page.
  AccountsPageModel(const std::vector<std::unique_ptr<Account>>& accounts, int newAccountColour);

  const std::vector<AccountEdit>& Copies() const { return copies_; }
  // The drop-down list's entries: the mailbox names in order.
  std::vector<std::string> Names() const;
  // Position of the account in the controls; -1 when none is shown.
  int Shown() const { return shown_; }
  // What the controls show: the shown account, or an empty account when there is none.
  AccountFields ShownFields() const;
  bool ControlsEnabled() const { return shown_ >= 0 && shown_ < kMaxAccounts; }

  // Takes the controls' values into the shown account; controls.mailbox is the drop-down's
  // text, so a typed name renames the account at its position. Folders left empty (or only
  // separators) become INBOX.
  void Store(const AccountFields& controls);
  // Stores the shown account, then shows the one at position.
  void Show(int position, const AccountFields& controls);
  // "新規アカウント作成": the limit message, or nothing when a new account was added and shown.
  std::optional<std::string> AddAccount(const AccountFields& controls);
  // "この設定の削除", once the user has agreed: the account at the same position is shown next,
  // or the last one.
  void DeleteShown();

  struct Refusal {
    int position;  // the account to show
    std::string message;
  };
  // The check before Apply: stores the shown account, then every enabled account needs a
  // server, a user name, a password and a port; no user name or password may hold CR, LF or
  // NUL, every password must be storable, and SECURITY and TLS_FINGERPRINT must be usable.
  std::optional<Refusal> Validate(const AccountFields& controls);
  // After the copies were applied: they now stand for the accounts at the same positions, so a
  // second Apply of the same sheet keeps the accounts the first one created.
  void Rebase(const std::vector<std::unique_ptr<Account>>& applied);

 private:
  AccountFields EmptyAccount(std::string name) const;

  std::vector<AccountEdit> copies_;
  int shown_ = -1;
  int newAccountColour_;
};

}  // namespace postwink
