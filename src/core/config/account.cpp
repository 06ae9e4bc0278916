#include "core/config/account.h"

#include "core/config/credentials.h"
#include "core/config/password.h"
#include "core/text/utf8.h"

namespace postwink {
namespace {

std::string AccountText(const IniFile& ini, const std::string& section, const char* key) {
  return std::string(CutToChars(ini.GetString(section, key, ""), kMaxAccountText));
}

void WriteText(IniFile& ini, const std::string& section, const char* key,
               const std::optional<std::string>& value, size_t maxChars = kMaxAccountText) {
  if (value) {
    ini.WriteString(section, key, CutToChars(*value, maxChars));
  } else {
    ini.DeleteKey(section, key);
  }
}

// A key that newer versions added is written only when it says something, so that files of
// accounts that never used it keep their old form.
void WriteIntUnlessDefault(IniFile& ini, const std::string& section, const char* key, int value,
                           int defaultValue) {
  if (value != defaultValue) {
    ini.WriteInt(section, key, value);
  } else {
    ini.DeleteKey(section, key);
  }
}

struct OAuthKey {
  const char* name;
  std::string OAuthKeys::*field;
};
constexpr OAuthKey kOAuthKeys[] = {
    {"OAUTH", &OAuthKeys::provider},
    {"OAUTH_CLIENT_ID", &OAuthKeys::clientId},
    {"OAUTH_CLIENT_SECRET", &OAuthKeys::clientSecret},
    {"OAUTH_AUTH_URL", &OAuthKeys::authUrl},
    {"OAUTH_TOKEN_URL", &OAuthKeys::tokenUrl},
    {"OAUTH_SCOPE", &OAuthKeys::scope},
    {"OAUTH_TOKEN_COMMAND", &OAuthKeys::tokenCommand},
};

}  // namespace

AccountFields FieldsOf(const Account& a) {
  return {a.mailbox.value_or(""),
          a.server.value_or(""),
          a.port,
          a.user.value_or(""),
          a.password.value_or(""),
          a.apop,
          a.interval,
          a.enabled,
          a.offlineGuard,
          a.colour,
          a.security,
          a.tlsFingerprint.value_or(""),
          a.protocol,
          a.folders,
          a.push,
          a.oauth};
}

void SetFields(Account& a, const AccountFields& f) {
  a.mailbox = f.mailbox;
  a.server = f.server;
  a.port = f.port;
  a.user = f.user;
  a.password = f.password;
  a.apop = f.apop;
  a.interval = f.interval;
  a.enabled = f.enabled;
  a.offlineGuard = f.offlineGuard;
  a.colour = f.colour;
  a.security = f.security;
  // An empty fingerprint is no key in the file, as before it was typed.
  a.tlsFingerprint = f.tlsFingerprint.empty() ? std::nullopt : std::optional(f.tlsFingerprint);
  a.protocol = f.protocol;
  a.folders = f.folders;
  a.push = f.push;
  a.oauth = f.oauth;
}

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
      a.tlsFingerprint = std::string(CutToChars(*pin, kMaxAccountText));
    }
    a.protocol = ini.GetInt(section, "PROTOCOL", kProtocolPop3);
    if (std::optional<std::string> folders = ini.Find(section, "FOLDERS")) {
      a.folders = std::string(CutAtCharBoundary(*folders, kMaxFoldersText));
    }
    a.push = ini.GetInt(section, "PUSH", 1);
    for (const OAuthKey& key : kOAuthKeys) {
      if (std::optional<std::string> value = ini.Find(section, key.name)) {
        a.oauth.*key.field = std::string(CutToChars(*value, kMaxOAuthText));
      }
    }
    accounts.push_back(std::move(a));
  }
  return accounts;
}

SaveAccountsResult WriteAccounts(IniFile& ini, const std::vector<Account>& accounts,
                                 System& system) {
  std::vector<const Account*> list;
  for (const Account& a : accounts) list.push_back(&a);
  return WriteAccounts(ini, list, system);
}

SaveAccountsResult WriteAccounts(IniFile& ini, const std::vector<const Account*>& accounts,
                                 System& system) {
  SaveAccountsResult result;
  // Every credential is checked and every password scrambled before anything is written, so a
  // refusal leaves the file as it was instead of half saved.
  std::vector<std::optional<std::string>> stored;
  for (const Account* account : accounts) {
    const Account& a = *account;
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
    const Account& a = *accounts[static_cast<size_t>(n - 1)];
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
    WriteIntUnlessDefault(ini, section, "SECURITY", a.security, 0);
    bool pinned = a.tlsFingerprint && !a.tlsFingerprint->empty();
    WriteText(ini, section, "TLS_FINGERPRINT", pinned ? a.tlsFingerprint : std::nullopt);
    WriteIntUnlessDefault(ini, section, "PROTOCOL", a.protocol, kProtocolPop3);
    WriteText(ini, section, "FOLDERS",
              a.folders != kDefaultFolders ? std::optional(a.folders) : std::nullopt,
              kMaxFoldersText);
    WriteIntUnlessDefault(ini, section, "PUSH", a.push, 1);
    for (const OAuthKey& key : kOAuthKeys) {
      const std::string& value = a.oauth.*key.field;
      WriteText(ini, section, key.name, value.empty() ? std::nullopt : std::optional(value),
                kMaxOAuthText);
    }
  }
  return result;
}

std::vector<Account> LoadAccounts(const std::string& iniPath, System& system, int defaultColour) {
  IniFile ini;
  ini.Load(system.files, system.codePage, iniPath);
  return ReadAccounts(ini, defaultColour);
}

SaveAccountsResult SaveAccounts(const std::string& iniPath, System& system,
                                const std::vector<Account>& accounts) {
  std::vector<const Account*> list;
  for (const Account& a : accounts) list.push_back(&a);
  return SaveAccounts(iniPath, system, list, {});
}

SaveAccountsResult SaveAccounts(const std::string& iniPath, System& system,
                                const std::vector<const Account*>& accounts,
                                const std::function<void(IniFile&)>& alsoWrite) {
  // "設定ファイルを保存できませんでした。"
  static constexpr const char* kSaveFailed = "設定ファイルを保存できませんでした。";
  IniFile ini;
  if (!ini.Load(system.files, system.codePage, iniPath) && system.files.Exists(iniPath)) {
    return {false, kSaveFailed};
  }
  SaveAccountsResult result = WriteAccounts(ini, accounts, system);
  if (!result.ok) return result;
  if (alsoWrite) alsoWrite(ini);
  if (!ini.Save(system.files, system.codePage, iniPath)) result = {false, kSaveFailed};
  return result;
}

}  // namespace postwink
