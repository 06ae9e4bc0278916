#pragma once
// Postwink.ini as one run of the program sees it. The file is read once, at start-up, and the
// settings and the accounts both come from that reading. A file that was there but could not be
// read (another program holding it open, no permission) is never written by that run: the run
// has only defaults, and writing them would replace every setting, account and filter rule.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/config/account.h"
#include "core/config/ini_file.h"
#include "core/config/settings.h"
#include "core/platform/system.h"

namespace postwink {

// "設定ファイル(Postwink.ini)を読み込めませんでした。
//  今回は既定の設定で動作し、設定ファイルには書き込みません。"
inline constexpr char kSettingsUnreadable[] =
    "設定ファイル(Postwink.ini)"
    "を読み込めませんでした。\n今回は既定の設定で動作し、設定ファイルには書き込みません。";

class SettingsFile {
 public:
  SettingsFile(std::string path, System& system) : path_(std::move(path)), system_(system) {}

  // Reads the file and the settings from it (the defaults when it is missing or unreadable).
  SettingsLoadResult Load(const std::optional<std::string>& windowsDirectory, Settings& settings);
  // The accounts of that same reading.
  std::vector<Account> Accounts(int defaultColour) const;

  const std::string& Path() const { return path_; }
  // The file was there at start-up, whether or not it could be read.
  bool Existed() const { return loaded_.fileExists; }
  // The file was there but could not be read: this run never writes it.
  bool Unreadable() const { return loaded_.unreadable; }

  // As SaveSettings and SaveAccounts, refusing (and writing nothing) when the file could not be
  // read at start-up.
  bool SaveSettings(const Settings& settings);
  SaveAccountsResult SaveAccounts(const std::vector<Account>& accounts);
  // After the settings sheet's OK: the global keys, the filters and the accounts in one
  // replacement of the file, so that a refused password writes nothing at all.
  SaveAccountsResult SaveSettingsAndAccounts(const Settings& settings,
                                             const std::vector<std::unique_ptr<Account>>& accounts);

 private:
  std::string path_;
  System& system_;
  IniFile ini_;
  SettingsLoadResult loaded_;
};

}  // namespace postwink
