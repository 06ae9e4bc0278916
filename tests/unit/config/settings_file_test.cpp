#include "core/config/settings_file.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace postwink
