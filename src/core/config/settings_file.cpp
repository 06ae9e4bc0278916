#include "core/config/settings_file.h"

namespace postwink {

SettingsLoadResult SettingsFile::Load(const std::optional<std::string>& windowsDirectory,
                                      Settings& settings) {
  loaded_ = LoadSettings(path_, system_, windowsDirectory, settings, &ini_);
  return loaded_;
}

std::vector<Account> SettingsFile::Accounts(int defaultColour) const {
  return ReadAccounts(ini_, defaultColour);
}

bool SettingsFile::SaveSettings(const Settings& settings) {
  if (loaded_.unreadable) return false;
  return postwink::SaveSettings(path_, system_, settings);
}

SaveAccountsResult SettingsFile::SaveAccounts(const std::vector<Account>& accounts) {
  if (loaded_.unreadable) return {false, kSettingsUnreadable};
  return postwink::SaveAccounts(path_, system_, accounts);
}

SaveAccountsResult SettingsFile::SaveSettingsAndAccounts(
    const Settings& settings, const std::vector<std::unique_ptr<Account>>& accounts) {
  if (loaded_.unreadable) return {false, kSettingsUnreadable};
  std::vector<const Account*> list;
  for (const auto& account : accounts) list.push_back(account.get());
  return postwink::SaveAccounts(path_, system_, list,
                                [&settings](IniFile& ini) { WriteSettings(ini, settings); });
}

}  // namespace postwink
