#include "core/config/account.h"

#include "core/config/credentials.h"
#include "core/config/password.h"
#include "core/text/cp932.h"

namespace postwink {
namespace {

std::string AccountText(const IniFile& ini, const std::string& section, const char* key) {
  return std::string(CutAtCharBoundary(ini.GetString(section, key, ""), kMaxAccountText));
}

void WriteText(IniFile& ini, const std::string& section, const char* key,
               const std::optional<std::string>& value, size_t maxBytes = kMaxAccountText) {
  if (value) {
    ini.WriteString(section, key, CutAtCharBoundary(*value, maxBytes));
  } else {
    ini.DeleteKey(section, key);
  }
}

}  // namespace

std::string AccountSectionName(int number) { return "SERVER" + std::to_string(number); }

std::vector<Account> ReadAccounts(const IniFile& ini, int defaultColour) {
  std::vector<Account> accounts;
  for (int n = 1; n <= kMaxAccounts; ++n) {
    std::string section = AccountSectionName(n);
    if (ini.KeyNames(section).empty()) continue;
    Account a;
    a.index = static_cast<int>(accounts.size());
    a.server = AccountText(ini, section, "POP3");
    a.user = AccountText(ini, section, "USER");
    // The password is kept whole: cutting it would log in with a different one.
    a.password = UnscramblePassword(ini.GetString(section, "PASS", ""));
    a.mailbox = AccountText(ini, section, "MAILBOX");
    a.port = ini.GetInt(section, "PORT", 110);
    a.interval = ini.GetInt(section, "TIMER", 10);
    a.enabled = ini.GetInt(section, "ENABLE", 0);
    a.apop = ini.GetInt(section, "APOP", 0);
    a.offlineGuard = ini.GetInt(section, "NOINET", 0);
    a.colour = ini.GetInt(section, "BOX_RGB", defaultColour);
    a.security = ini.GetInt(section, "SECURITY", 0);
    if (std::optional<std::string> pin = ini.Find(section, "TLS_FINGERPRINT")) {
      a.tlsFingerprint = std::string(CutAtCharBoundary(*pin, kMaxAccountText));
    }
    accounts.push_back(std::move(a));
  }
  return accounts;
}

SaveAccountsResult WriteAccounts(IniFile& ini, const std::vector<Account>& accounts,
                                 System& system) {
  SaveAccountsResult result;
  // Every credential is checked and every password scrambled before anything is written, so a
  // refusal leaves the file as it was instead of half saved.
  std::vector<std::optional<std::string>> stored;
  for (const Account& a : accounts) {
    if (!IsSendableCredential(a.user.value_or("")) ||
        !IsSendableCredential(a.password.value_or(""))) {
      result.ok = false;
      result.error = "[" + a.mailbox.value_or("") + "] " + kCredentialRefused;
      return result;
    }
    if (!a.password) {
      stored.emplace_back();
      continue;
    }
    ScrambleResult s = ScramblePassword(*a.password, system.clock, system.random);
    if (!s.ok()) {
      result.ok = false;
      result.error = "[" + a.mailbox.value_or("") + "] " + s.error;
      return result;
    }
    stored.emplace_back(std::move(s.text));
  }
  for (int n = 1; n <= kMaxAccountSectionCleaned; ++n) {
    std::string section = AccountSectionName(n);
    if (n > static_cast<int>(accounts.size())) {
      ini.DeleteSection(section);
      continue;
    }
    const Account& a = accounts[static_cast<size_t>(n - 1)];
    WriteText(ini, section, "MAILBOX", a.mailbox);
    WriteText(ini, section, "USER", a.user);
    WriteText(ini, section, "POP3", a.server);
    ini.WriteInt(section, "PORT", a.port);
    WriteText(ini, section, "PASS", stored[static_cast<size_t>(n - 1)], std::string::npos);
    ini.WriteInt(section, "TIMER", a.interval);
    ini.WriteInt(section, "ENABLE", a.enabled);
    ini.WriteInt(section, "APOP", a.apop);
    ini.WriteInt(section, "NOINET", a.offlineGuard);
    ini.WriteInt(section, "BOX_RGB", a.colour);
    if (a.security != 0) {
      ini.WriteInt(section, "SECURITY", a.security);
    } else {
      ini.DeleteKey(section, "SECURITY");
    }
    bool pinned = a.tlsFingerprint && !a.tlsFingerprint->empty();
    WriteText(ini, section, "TLS_FINGERPRINT", pinned ? a.tlsFingerprint : std::nullopt);
  }
  return result;
}

std::vector<Account> LoadAccounts(const std::string& iniPath, System& system, int defaultColour) {
  IniFile ini;
  ini.Load(system.files, iniPath);
  return ReadAccounts(ini, defaultColour);
}

SaveAccountsResult SaveAccounts(const std::string& iniPath, System& system,
                                const std::vector<Account>& accounts) {
  // "設定ファイルを保存できませんでした。"
  static constexpr const char* kSaveFailed =
      "\x90\xdd\x92\xe8\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xf0\x95\xdb\x91\xb6\x82\xc5\x82\xab"
      "\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81\x42";
  IniFile ini;
  if (!ini.Load(system.files, iniPath) && system.files.Exists(iniPath)) {
    return {false, kSaveFailed};
  }
  SaveAccountsResult result = WriteAccounts(ini, accounts, system);
  if (result.ok && !ini.Save(system.files, iniPath)) result = {false, kSaveFailed};
  return result;
}

}  // namespace postwink
