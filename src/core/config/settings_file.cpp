#include "core/config/settings_file.h"

namespace postwink {

SaveAccountsResult SaveSettingsAndAccounts(const std::string& iniPath, System& system,
                                           const Settings& settings,
                                           const std::vector<std::unique_ptr<Account>>& accounts) {
  std::vector<const Account*> list;
  for (const auto& account : accounts) list.push_back(account.get());
  return SaveAccounts(iniPath, system, list,
                      [&settings](IniFile& ini) { WriteSettings(ini, settings); });
}

}  // namespace postwink
