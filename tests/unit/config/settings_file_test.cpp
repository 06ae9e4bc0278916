#include "core/config/settings_file.h"

#include <gtest/gtest.h>

#include "core/config/password.h"
#include "unit/config/fake_system.h"

namespace postwink {
namespace {

constexpr const char* kPath = "C:\\Postwink\\Postwink.ini";
const std::string kUserFile =
    "[Postwink]\r\nBG_RGB=123\r\n[SERVER1]\r\nMAILBOX=mine\r\nUSER=alice\r\n"
    "[Filter]\r\nFILTER_NUM=1\r\nFILTER0=1,2,0,0,0,0,0,0,\r\nFILTER0_STR=spam\r\n";

// Another program held the file while this run started; by the time it saves, the file can be
// read again. The run's defaults must not replace the user's settings, accounts and filters.
TEST(SettingsFile, AFileThatCouldNotBeReadAtStartUpIsNeverWritten) {
  testing::FakeSystem fake;
  fake.files.files[kPath] = kUserFile;
  fake.files.unreadable = true;
  SettingsFile file(kPath, fake.system);
  Settings settings;
  SettingsLoadResult loaded = file.Load("C:\\W", settings);
  EXPECT_TRUE(loaded.unreadable);
  EXPECT_TRUE(file.Existed());
  EXPECT_TRUE(file.Unreadable());
  EXPECT_EQ(settings.bgRgb, 0xE6FFFF);
  EXPECT_TRUE(settings.filters.rules.empty());
  EXPECT_TRUE(file.Accounts(0).empty());

  fake.files.unreadable = false;
  EXPECT_FALSE(file.SaveSettings(settings));
  SaveAccountsResult accounts = file.SaveAccounts({});
  EXPECT_FALSE(accounts.ok);
  EXPECT_EQ(accounts.error, kSettingsUnreadable);
  EXPECT_EQ(file.SaveSettingsAndAccounts(settings, {}).error, kSettingsUnreadable);
  EXPECT_EQ(fake.files.files[kPath], kUserFile);
  EXPECT_EQ(fake.files.atomicWrites, 0);
}

TEST(SettingsFile, SettingsAndAccountsComeFromOneReading) {
  testing::FakeSystem fake;
  fake.files.files[kPath] = kUserFile;
  SettingsFile file(kPath, fake.system);
  Settings settings;
  EXPECT_FALSE(file.Load("C:\\W", settings).unreadable);
  // Whatever happens to the file later, the accounts are those read with the settings.
  fake.files.files[kPath] = "";
  ASSERT_EQ(file.Accounts(0).size(), 1u);
  EXPECT_EQ(file.Accounts(0)[0].user, "alice");
  EXPECT_EQ(settings.bgRgb, 123);
  EXPECT_TRUE(file.SaveSettings(settings));
  EXPECT_EQ(IniFile::Parse(fake.files.files[kPath]).Find(kSettingsSection, "BG_RGB"), "123");
}

// A file stays code page 932 while every value fits, byte for byte as earlier builds wrote it;
// a value 932 lacks turns the whole file into UTF-8 after a byte order mark, and a later save
// where everything fits again writes 932 again.
TEST(SettingsFile, Cp932WhileEverythingFitsElseUtf8WithAMark) {
  const std::string inbox932 = "\x8E\xF3\x90M\x94\xA0";  // 受信箱
  const std::string stored = "[Postwink]\r\nBG_RGB=123\r\n[SERVER1]\r\nMAILBOX=" + inbox932 +
                             "\r\n[Filter]\r\nFILTER_NUM=1\r\nFILTER0=1,2,0,0,0,0,0,0,\r\n"
                             "FILTER0_STR=\x83Z\x81[\x83\x8B\r\n";  // セール
  auto load = [](testing::FakeSystem& fake, Settings& settings) {
    auto file = std::make_unique<SettingsFile>(kPath, fake.system);
    file->Load("C:\\W", settings);
    return file;
  };
  auto accountsOf = [](const SettingsFile& file) {
    std::vector<std::unique_ptr<Account>> accounts;
    for (const Account& a : file.Accounts(0)) accounts.push_back(std::make_unique<Account>(a));
    return accounts;
  };
  testing::FakeSystem fake;
  fake.files.files[kPath] = stored;
  Settings settings;
  auto file = load(fake, settings);
  ASSERT_EQ(file->Accounts(0).size(), 1u);
  EXPECT_EQ(file->Accounts(0)[0].mailbox, "受信箱");
  ASSERT_EQ(settings.filters.rules.size(), 1u);
  EXPECT_EQ(settings.filters.rules[0].pattern, "セール");
  ASSERT_TRUE(file->SaveSettingsAndAccounts(settings, accountsOf(*file)).ok);
  const std::string& saved = fake.files.files[kPath];
  EXPECT_NE(saved.find("MAILBOX=" + inbox932 + "\r\n"), std::string::npos) << saved;
  EXPECT_FALSE(saved.starts_with("\xEF\xBB\xBF"));

  // "Café" and "🎉" do not fit: the whole file becomes UTF-8, and reads back exactly.
  auto accounts = accountsOf(*file);
  accounts[0]->mailbox = "Café 受信箱";
  settings.filters.rules[0].pattern = "🎉 세일";
  ASSERT_TRUE(file->SaveSettingsAndAccounts(settings, accounts).ok);
  ASSERT_TRUE(fake.files.files[kPath].starts_with("\xEF\xBB\xBF"));
  EXPECT_NE(fake.files.files[kPath].find("MAILBOX=Café 受信箱\r\n"), std::string::npos);
  Settings reread;
  file = load(fake, reread);
  EXPECT_EQ(file->Accounts(0)[0].mailbox, "Café 受信箱");
  EXPECT_EQ(reread.filters.rules[0].pattern, "🎉 세일");
  EXPECT_EQ(reread.bgRgb, 123);

  // Back to what fits: code page 932 again.
  accounts = accountsOf(*file);
  accounts[0]->mailbox = "受信箱";
  reread.filters.rules[0].pattern = "セール";
  ASSERT_TRUE(file->SaveSettingsAndAccounts(reread, accounts).ok);
  EXPECT_FALSE(fake.files.files[kPath].starts_with("\xEF\xBB\xBF"));
  EXPECT_NE(fake.files.files[kPath].find("MAILBOX=" + inbox932 + "\r\n"), std::string::npos);
  EXPECT_NE(fake.files.files[kPath].find("FILTER0_STR=\x83Z\x81[\x83\x8B\r\n"), std::string::npos);
}

TEST(SettingsFile, AMissingFileIsCreatedAtTheFirstSave) {
  testing::FakeSystem fake;
  SettingsFile file(kPath, fake.system);
  Settings settings;
  SettingsLoadResult loaded = file.Load("C:\\W", settings);
  EXPECT_FALSE(loaded.fileExists);
  EXPECT_FALSE(loaded.unreadable);
  EXPECT_FALSE(file.Existed());
  EXPECT_TRUE(file.SaveSettings(settings));
  EXPECT_TRUE(fake.files.Exists(kPath));
}

std::vector<std::unique_ptr<Account>> OneAccount(const std::string& user,
                                                 const std::string& password) {
  std::vector<std::unique_ptr<Account>> accounts;
  auto a = std::make_unique<Account>();
  SetFields(*a, {"box", "pop.example.org", 110, user, password, 0, 5, 1, 0, 0xCA00, 0, ""});
  accounts.push_back(std::move(a));
  return accounts;
}

// After the settings sheet's OK: everything in one write, the user's own keys kept.
TEST(SettingsFile, SettingsFiltersAndAccountsGoInOneWrite) {
  testing::FakeSystem fake;
  fake.files.files[kPath] = kUserFile + "[Mine]\r\nKEEP=1\r\n[SERVER4]\r\nPOP3=x\r\n";
  SettingsFile file(kPath, fake.system);
  Settings settings;
  file.Load("C:\\W", settings);
  settings.colList = "Blue*";
  settings.filters.rules[0].pattern = "ham";
  ASSERT_TRUE(file.SaveSettingsAndAccounts(settings, OneAccount("me", "secret")).ok);
  EXPECT_EQ(fake.files.atomicWrites, 1);

  IniFile saved = IniFile::Parse(fake.files.files[kPath]);
  EXPECT_EQ(saved.GetString("Postwink", "COLLIST", ""), "Blue*");
  EXPECT_EQ(saved.GetString("Postwink", "BG_RGB", ""), "123");
  EXPECT_EQ(saved.GetString("Mine", "KEEP", ""), "1");
  EXPECT_EQ(saved.GetString("Filter", "FILTER0_STR", ""), "ham");
  EXPECT_EQ(saved.GetString("SERVER1", "POP3", ""), "pop.example.org");
  EXPECT_EQ(UnscramblePassword(saved.GetString("SERVER1", "PASS", "")), "secret");
  EXPECT_FALSE(saved.HasSection("SERVER4"));
}

TEST(SettingsFile, ARefusedCredentialWritesNeitherSettingsNorAccounts) {
  const std::pair<std::string, std::string> refused[] = {
      {"me", "\x83\x70\x83\x58"},  // a password the stored form cannot hold
      {"me\r\nDELE 1", "secret"},  // a user name that would end its command
  };
  for (const auto& [user, password] : refused) {
    testing::FakeSystem fake;
    fake.files.files[kPath] = kUserFile;
    SettingsFile file(kPath, fake.system);
    Settings settings;
    file.Load("C:\\W", settings);
    settings.colList = "new";
    SaveAccountsResult r = file.SaveSettingsAndAccounts(settings, OneAccount(user, password));
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(fake.files.atomicWrites, 0);
    EXPECT_EQ(fake.files.files[kPath], kUserFile);
  }
}

}  // namespace
}  // namespace postwink
