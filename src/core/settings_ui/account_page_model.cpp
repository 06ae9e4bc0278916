#include "core/settings_ui/account_page_model.h"

#include <cstdio>

#include "core/config/credentials.h"
#include "core/config/password.h"
#include "core/net/security_setting.h"
#include "core/oauth/oauth_settings.h"
#include "core/settings_ui/settings_ui_texts.h"
#include "core/settings_ui/sign_in_model.h"

namespace postwink {
namespace {

std::string NewMailboxName(size_t number) {
  char name[32];
  std::snprintf(name, sizeof name, texts::kNewMailboxName, static_cast<int>(number));
  return name;
}

}  // namespace

int ProposedPort(int protocol, int security, int port) {
  constexpr int kPop3Port = 110;
  if (port != kPop3Port && port != kPop3sPort && port != kImapPort && port != kImapsPort) {
    return port;
  }
  const bool tls = security == static_cast<int>(SecurityMode::kTls);
  if (protocol == kProtocolImap) return tls ? kImapsPort : kImapPort;
  return tls ? kPop3sPort : kPop3Port;
}

std::array<const char*, 3> SecurityModeLabels(int protocol) {
  if (protocol == kProtocolImap) return {"なし", "TLS (IMAPS)", "STARTTLS"};
  return {"なし", "TLS (POP3S)", "STLS"};
}

AccountsPageModel::AccountsPageModel(const std::vector<std::unique_ptr<Account>>& accounts,
                                     int newAccountColour)
    : newAccountColour_(newAccountColour) {
  for (const auto& account : accounts) {
    AccountEdit copy{account.get(), FieldsOf(*account)};
    // Without a user name the account cannot log in: it is offered as not enabled.
    if (copy.fields.user.empty()) copy.fields.enabled = 0;
    copies_.push_back(std::move(copy));
  }
  if (copies_.empty()) copies_.push_back({nullptr, EmptyAccount(NewMailboxName(1))});
  shown_ = 0;
}

AccountFields AccountsPageModel::EmptyAccount(std::string name) const {
  AccountFields fields;
  fields.mailbox = std::move(name);
  fields.colour = newAccountColour_;
  return fields;
}

std::vector<std::string> AccountsPageModel::Names() const {
  std::vector<std::string> names;
  for (const AccountEdit& copy : copies_) names.push_back(copy.fields.mailbox);
  return names;
}

AccountFields AccountsPageModel::ShownFields() const {
  if (shown_ < 0 || shown_ >= static_cast<int>(copies_.size())) return EmptyAccount("");
  return copies_[static_cast<size_t>(shown_)].fields;
}

void AccountsPageModel::Store(const AccountFields& controls) {
  if (shown_ < 0 || shown_ >= static_cast<int>(copies_.size())) return;
  AccountFields& fields = copies_[static_cast<size_t>(shown_)].fields;
  fields = controls;
  // An emptied field watches what the check would watch anyway, and the file says so.
  if (fields.folders.find_first_not_of(" \t,") == std::string::npos) {
    fields.folders = kDefaultFolders;
  }
}

void AccountsPageModel::Show(int position, const AccountFields& controls) {
  Store(controls);
  if (position >= 0 && position < static_cast<int>(copies_.size())) shown_ = position;
}

std::optional<std::string> AccountsPageModel::AddAccount(const AccountFields& controls) {
  if (copies_.size() >= static_cast<size_t>(kMaxAccounts)) return texts::kTooManyAccounts;
  Store(controls);
  copies_.push_back({nullptr, EmptyAccount(NewMailboxName(copies_.size() + 1))});
  shown_ = static_cast<int>(copies_.size()) - 1;
  return std::nullopt;
}

void AccountsPageModel::DeleteShown() {
  if (shown_ < 0 || shown_ >= static_cast<int>(copies_.size())) return;
  copies_.erase(copies_.begin() + shown_);
  if (shown_ >= static_cast<int>(copies_.size())) shown_ = static_cast<int>(copies_.size()) - 1;
}

std::optional<AccountsPageModel::Refusal> AccountsPageModel::Validate(
    const AccountFields& controls) {
  Store(controls);
  for (size_t i = 0; i < copies_.size(); ++i) {
    const AccountFields& f = copies_[i].fields;
    int position = static_cast<int>(i);
    // An account that signs in with OAuth has no password.
    const bool oauth = OAuthSettingsOf(f).has_value();
    if (f.enabled != 0 &&
        (f.server.empty() || f.user.empty() || (f.password.empty() && !oauth) || f.port == 0)) {
      return Refusal{position, texts::kIncompleteAccount};
    }
    if (f.enabled != 0) {
      if (std::optional<std::string> problem = SignInProblem(f)) return Refusal{position, *problem};
    }
    // Refused here rather than when the file is written, so that nothing is applied either.
    if (!IsSendableCredential(f.user) || !IsSendableCredential(f.password)) {
      return Refusal{position, kCredentialRefused};
    }
    ScrambleResult storable = CheckPasswordStorable(f.password);
    if (!storable.ok()) return Refusal{position, storable.error};
    Account account;
    SetFields(account, f);
    SecuritySetting security = ReadSecuritySetting(account);
    if (!security.error.empty()) return Refusal{position, security.error};
  }
  return std::nullopt;
}

void AccountsPageModel::Rebase(const std::vector<std::unique_ptr<Account>>& applied) {
  for (size_t i = 0; i < copies_.size() && i < applied.size(); ++i) {
    copies_[i].origin = applied[i].get();
  }
}

}  // namespace postwink
