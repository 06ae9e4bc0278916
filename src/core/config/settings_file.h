#pragma once
// Saving after the settings sheet's OK: the global keys, the filters and the accounts go into
// the file in one replacement, so that a refused password writes nothing at all and a crash
// leaves the old file whole.

#include <memory>
#include <string>
#include <vector>

#include "core/config/account.h"
#include "core/config/settings.h"

namespace postwink {

SaveAccountsResult SaveSettingsAndAccounts(const std::string& iniPath, System& system,
                                           const Settings& settings,
                                           const std::vector<std::unique_ptr<Account>>& accounts);

}  // namespace postwink
