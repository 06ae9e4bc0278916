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

}  // namespace postwink
