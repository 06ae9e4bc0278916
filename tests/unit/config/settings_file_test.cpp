#include "core/config/settings_file.h"

#include <gtest/gtest.h>

#include "core/config/password.h"
#include "unit/config/fake_system.h"

namespace postwink {
namespace {

constexpr const char* kPath = "Postwink.ini";

std::vector<std::unique_ptr<Account>> OneAccount(const std::string& password) {
  std::vector<std::unique_ptr<Account>> accounts;
  auto a = std::make_unique<Account>();
  SetFields(*a, {"box", "pop.example.org", 110, "me", password, 0, 5, 1, 0, 0xCA00});
  accounts.push_back(std::move(a));
  return accounts;
}

TEST(SettingsFile, SettingsFiltersAndAccountsGoInOneWriteKeepingForeignKeys) {
  testing::FakeSystem fake;
  fake.files.files[kPath] =
      "[Postwink]\r\nSOKIGERR=0\r\n[Mine]\r\nKEEP=1\r\n[SERVER4]\r\nPOP3=x\r\n";
  Settings settings;
  ReadSettings(IniFile::Parse(fake.files.files[kPath]), std::nullopt, settings);
  settings.colList = "Blue*";
  settings.filters.rules.push_back({});
  settings.filters.rules[0].pattern = "spam";
  ASSERT_TRUE(SaveSettingsAndAccounts(kPath, fake.system, settings, OneAccount("secret")).ok);
  EXPECT_EQ(fake.files.atomicWrites, 1);

  IniFile saved = IniFile::Parse(fake.files.files[kPath]);
  EXPECT_EQ(saved.GetString("Postwink", "COLLIST", ""), "Blue*");
  EXPECT_EQ(saved.GetString("Postwink", "SOKIGERR", ""), "0");
  EXPECT_EQ(saved.GetString("Mine", "KEEP", ""), "1");
  EXPECT_EQ(saved.GetString("Filter", "FILTER0_STR", ""), "spam");
  EXPECT_EQ(saved.GetString("SERVER1", "POP3", ""), "pop.example.org");
  EXPECT_EQ(UnscramblePassword(saved.GetString("SERVER1", "PASS", "")), "secret");
  EXPECT_FALSE(saved.HasSection("SERVER4"));
}

TEST(SettingsFile, ARefusedPasswordOrAnUnreadableFileWritesNothing) {
  for (bool unreadable : {false, true}) {
    testing::FakeSystem fake;
    const std::string before = "[Postwink]\r\nCOLLIST=old\r\n";
    fake.files.files[kPath] = before;
    fake.files.unreadable = unreadable;
    Settings settings;
    settings.colList = "new";
    SaveAccountsResult r = SaveSettingsAndAccounts(kPath, fake.system, settings,
                                                   OneAccount(unreadable ? "fine" : "\x83\x70"));
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(fake.files.atomicWrites, 0);
    EXPECT_EQ(fake.files.files[kPath], before);
  }
}

}  // namespace
}  // namespace postwink
