#include "core/config/account.h"

#include <gtest/gtest.h>

#include "core/config/credentials.h"
#include "core/config/password.h"
#include "unit/config/fake_system.h"

namespace postwink {
namespace {

constexpr const char* kPath = "Postwink.ini";
constexpr int kSt2 = 0xFF9046;

TEST(Accounts, GapsCloseAndOnlyTheFirstTenSectionsAreRead) {
  IniFile ini = IniFile::Parse(
      "[SERVER2]\r\nMAILBOX=two\r\n"
      "[SERVER3]\r\n; only a comment\r\n"
      "[SERVER5]\r\nMAILBOX=five\r\nPORT=995\r\n"
      "[SERVER11]\r\nMAILBOX=eleven\r\n"
      "[SERVER05]\r\nMAILBOX=not five\r\n");
  std::vector<Account> accounts = ReadAccounts(ini, kSt2);
  ASSERT_EQ(accounts.size(), 2u);
  EXPECT_EQ(accounts[0].mailbox, "two");
  EXPECT_EQ(accounts[0].index, 0);
  EXPECT_EQ(accounts[1].mailbox, "five");
  EXPECT_EQ(accounts[1].index, 1);
  EXPECT_EQ(accounts[1].port, 995);
}

TEST(Accounts, MissingKeysTakeTheirDefaultsAndRunTimeFieldsStartFresh) {
  std::vector<Account> accounts = ReadAccounts(IniFile::Parse("[SERVER1]\r\nMAILBOX=m\r\n"), kSt2);
  ASSERT_EQ(accounts.size(), 1u);
  const Account& a = accounts[0];
  EXPECT_EQ(a.server, "");
  EXPECT_EQ(a.user, "");
  EXPECT_EQ(a.password, "");
  EXPECT_EQ(a.port, 110);
  EXPECT_EQ(a.interval, 10);
  EXPECT_EQ(a.enabled, 0);
  EXPECT_EQ(a.apop, 0);
  EXPECT_EQ(a.offlineGuard, 0);
  EXPECT_EQ(a.colour, kSt2);
  EXPECT_TRUE(a.cachedAddresses.empty());
  EXPECT_EQ(a.security, 0);
  EXPECT_FALSE(a.tlsFingerprint);
  EXPECT_EQ(a.lastNumber, -1);
  EXPECT_FALSE(a.lastIdentity);
  EXPECT_FALSE(a.due);
  EXPECT_TRUE(a.items.empty());
}

TEST(Accounts, ReadsEveryKeyAndLimitsTexts) {
  std::string longName(300, 'n');
  std::vector<Account> accounts = ReadAccounts(
      IniFile::Parse(
          "[server1]\r\nPOP3=pop.example.org\r\nUSER=me\r\nPASS=A^AVIX\r\nMAILBOX=" + longName +
          "\r\nPORT=1110\r\nTIMER=3\r\nENABLE=1\r\nAPOP=1\r\nNOINET=1\r\nBOX_RGB=255\r\n"),
      kSt2);
  ASSERT_EQ(accounts.size(), 1u);
  const Account& a = accounts[0];
  EXPECT_EQ(a.server, "pop.example.org");
  EXPECT_EQ(a.user, "me");
  EXPECT_EQ(a.password, "abc");
  EXPECT_EQ(a.mailbox, longName.substr(0, 255));
  EXPECT_EQ(a.port, 1110);
  EXPECT_EQ(a.interval, 3);
  EXPECT_EQ(a.enabled, 1);
  EXPECT_EQ(a.apop, 1);
  EXPECT_EQ(a.offlineGuard, 1);
  EXPECT_EQ(a.colour, 255);

  // Written within the same limit; a long password is kept whole.
  Account changed = a;
  changed.user = std::string(400, 'u');
  changed.password = std::string(300, 'p');
  IniFile ini;
  testing::FakeSystem fake;
  ASSERT_TRUE(WriteAccounts(ini, {changed}, fake.system).ok);
  std::vector<Account> back = ReadAccounts(ini, kSt2);
  EXPECT_EQ(back.at(0).user, std::string(255, 'u'));
  EXPECT_EQ(back.at(0).password, changed.password);
}

TEST(Accounts, SecurityKeysAreReadAndWrittenOnlyWhenSet) {
  std::vector<Account> accounts = ReadAccounts(
      IniFile::Parse("[SERVER1]\r\nMAILBOX=s\r\nSECURITY=2\r\nTLS_FINGERPRINT=AB:CD\r\n"
                     "[SERVER2]\r\nMAILBOX=p\r\n"),
      kSt2);
  ASSERT_EQ(accounts.size(), 2u);
  EXPECT_EQ(accounts[0].security, 2);
  EXPECT_EQ(accounts[0].tlsFingerprint, "AB:CD");
  IniFile ini;
  testing::FakeSystem fake;
  ASSERT_TRUE(WriteAccounts(ini, accounts, fake.system).ok);
  EXPECT_EQ(ini.Find("SERVER1", "SECURITY"), "2");
  EXPECT_EQ(ini.Find("SERVER1", "TLS_FINGERPRINT"), "AB:CD");
  // A plain account's section keeps the keys it always had.
  EXPECT_FALSE(ini.Find("SERVER2", "SECURITY"));
  EXPECT_FALSE(ini.Find("SERVER2", "TLS_FINGERPRINT"));
  accounts[0].security = 0;
  accounts[0].tlsFingerprint = "";
  ASSERT_TRUE(WriteAccounts(ini, accounts, fake.system).ok);
  EXPECT_FALSE(ini.Find("SERVER1", "SECURITY"));
  EXPECT_FALSE(ini.Find("SERVER1", "TLS_FINGERPRINT"));
}

TEST(Accounts, OAuthKeysAreReadAndWrittenOnlyWhenSet) {
  std::vector<Account> accounts =
      ReadAccounts(IniFile::Parse("[SERVER1]\r\nMAILBOX=o\r\nOAUTH=custom\r\nOAUTH_CLIENT_ID=id\r\n"
                                  "OAUTH_CLIENT_SECRET=sec\r\nOAUTH_AUTH_URL=https://a/auth\r\n"
                                  "OAUTH_TOKEN_URL=https://a/token\r\nOAUTH_SCOPE=mail offline\r\n"
                                  "OAUTH_TOKEN_COMMAND=pass show mail | head -1\r\n"
                                  "[SERVER2]\r\nMAILBOX=p\r\n"),
                   kSt2);
  ASSERT_EQ(accounts.size(), 2u);
  const OAuthKeys expected{"custom",
                           "id",
                           "sec",
                           "https://a/auth",
                           "https://a/token",
                           "mail offline",
                           "pass show mail | head -1"};
  EXPECT_EQ(accounts[0].oauth, expected);
  EXPECT_EQ(accounts[1].oauth, OAuthKeys{});
  IniFile ini;
  testing::FakeSystem fake;
  ASSERT_TRUE(WriteAccounts(ini, accounts, fake.system).ok);
  EXPECT_EQ(ReadAccounts(ini, kSt2)[0].oauth, expected);
  EXPECT_EQ(ini.Find("SERVER1", "OAUTH_TOKEN_COMMAND"), "pass show mail | head -1");
  for (const char* key : {"OAUTH", "OAUTH_CLIENT_ID", "OAUTH_CLIENT_SECRET", "OAUTH_AUTH_URL",
                          "OAUTH_TOKEN_URL", "OAUTH_SCOPE", "OAUTH_TOKEN_COMMAND"}) {
    EXPECT_FALSE(ini.Find("SERVER2", key)) << key;
  }
  accounts[0].oauth = {};
  ASSERT_TRUE(WriteAccounts(ini, accounts, fake.system).ok);
  EXPECT_FALSE(ini.Find("SERVER1", "OAUTH"));
  EXPECT_FALSE(ini.Find("SERVER1", "OAUTH_CLIENT_ID"));
}

TEST(Accounts, SaveRenumbersWritesInOrderAndCleansUpToServer100) {
  testing::FakeSystem fake;
  fake.files.files[kPath] =
      "[Postwink]\r\nSOKIGERR=0\r\n"
      "[SERVER2]\r\nMAILBOX=two\r\nPASS=A^AVIX\r\nEXTRA=kept\r\n"
      "[SERVER5]\r\nMAILBOX=five\r\n"
      "[SERVER11]\r\nMAILBOX=eleven\r\n"
      "[SERVER100]\r\nX=1\r\n"
      "[SERVER101]\r\nX=1\r\n";
  std::vector<Account> accounts = LoadAccounts(kPath, fake.system, kSt2);
  ASSERT_EQ(accounts.size(), 2u);
  ASSERT_TRUE(SaveAccounts(kPath, fake.system, accounts).ok);

  IniFile after = IniFile::Parse(fake.files.files[kPath]);
  EXPECT_EQ(after.Find("Postwink", "SOKIGERR"), "0");
  EXPECT_EQ(after.KeyNames("SERVER1"),
            (std::vector<std::string>{"MAILBOX", "USER", "POP3", "PORT", "PASS", "TIMER", "ENABLE",
                                      "APOP", "NOINET", "BOX_RGB"}));
  EXPECT_EQ(after.Find("SERVER1", "MAILBOX"), "two");
  EXPECT_EQ(after.Find("SERVER2", "MAILBOX"), "five");
  // Keys the program does not own stay in their section, as with the private-profile functions.
  EXPECT_EQ(after.Find("SERVER2", "EXTRA"), "kept");
  EXPECT_EQ(after.Find("SERVER1", "BOX_RGB"), std::to_string(kSt2));
  for (int n = 3; n <= 100; ++n) EXPECT_FALSE(after.HasSection(AccountSectionName(n))) << n;
  EXPECT_TRUE(after.HasSection("SERVER101"));

  std::vector<Account> again = ReadAccounts(after, 0);
  ASSERT_EQ(again.size(), 2u);
  EXPECT_EQ(again[0].password, "abc");
  EXPECT_EQ(again[1].password, "");
  EXPECT_EQ(after.Find("SERVER2", "PASS"), "");  // an empty password is an empty value
}

TEST(Accounts, UnsetTextsRemoveTheirKeys) {
  IniFile ini = IniFile::Parse("[SERVER1]\r\nMAILBOX=m\r\nUSER=old\r\nPOP3=old\r\nPASS=A^AVIX\r\n");
  Account a;
  a.mailbox = "MAILBOX-1";
  a.enabled = 1;
  testing::FakeSystem fake;
  ASSERT_TRUE(WriteAccounts(ini, {a}, fake.system).ok);
  EXPECT_EQ(ini.Text(),
            "[SERVER1]\r\nMAILBOX=MAILBOX-1\r\nPORT=110\r\nTIMER=10\r\nENABLE=1\r\nAPOP=0\r\n"
            "NOINET=0\r\nBOX_RGB=0\r\n");
}

TEST(Accounts, PasswordsAreSavedScrambledAndDifferentEachTime) {
  testing::FakeSystem fake;
  Account a;
  a.mailbox = "m";
  a.password = "secret password";
  fake.random.numbers = {1, 0, 1, 1, 0, 1, 0, 0, 1, 1, 0, 1, 0, 1};
  ASSERT_TRUE(SaveAccounts(kPath, fake.system, {a}).ok);
  std::string first = *IniFile::Parse(fake.files.files[kPath]).Find("SERVER1", "PASS");
  fake.random.numbers = {0, 1, 0, 0, 1, 0, 1, 1, 0, 0, 1, 0, 1, 0};
  ASSERT_TRUE(SaveAccounts(kPath, fake.system, {a}).ok);
  std::string second = *IniFile::Parse(fake.files.files[kPath]).Find("SERVER1", "PASS");
  EXPECT_NE(first, second);
  EXPECT_EQ(first.find("secret"), std::string::npos);
  for (const std::string& stored : {first, second}) {
    EXPECT_EQ(UnscramblePassword(stored), "secret password");
  }
  EXPECT_EQ(LoadAccounts(kPath, fake.system, 0).at(0).password, "secret password");
}

TEST(Accounts, AnUnstorablePasswordIsRefusedAndNothingIsWritten) {
  testing::FakeSystem fake;
  const std::string before = "[SERVER1]\r\nMAILBOX=old\r\n[SERVER2]\r\nMAILBOX=x\r\n";
  fake.files.files[kPath] = before;
  Account good;
  good.mailbox = "good";
  good.password = "ok";
  Account bad;
  bad.mailbox = "bad";
  bad.password = "\x83\x70\x83\x58";  // "パス"
  SaveAccountsResult r = SaveAccounts(kPath, fake.system, {good, bad});
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.error.starts_with("[bad] ")) << r.error;
  EXPECT_EQ(fake.files.files[kPath], before);
  EXPECT_EQ(fake.files.atomicWrites, 0);
}

TEST(Accounts, CredentialsWithLineBreaksOrNulAreRefusedAndNothingIsWritten) {
  const std::string before = "[SERVER1]\r\nMAILBOX=old\r\n";
  struct Case {
    const char* user;
    std::string password;
  } cases[] = {
      {"alice\r\nDELE 1", "ok"}, {"alice", "ok\nDELE 1"}, {"alice", std::string("o\0k", 3)}};
  for (const Case& c : cases) {
    testing::FakeSystem fake;
    fake.files.files[kPath] = before;
    Account a;
    a.mailbox = "box";
    a.user = c.user;
    a.password = c.password;
    SaveAccountsResult r = SaveAccounts(kPath, fake.system, {a});
    EXPECT_FALSE(r.ok) << c.user;
    EXPECT_EQ(r.error, std::string("[box] ") + kCredentialRefused);
    EXPECT_EQ(fake.files.files[kPath], before);
  }
}

TEST(Accounts, AFailedSaveReportsAndKeepsTheOldFile) {
  testing::FakeSystem fake;
  const std::string before = "[SERVER1]\r\nMAILBOX=old\r\n";
  fake.files.files[kPath] = before;
  fake.files.failBeforeReplace = true;
  Account a;
  a.mailbox = "new";
  SaveAccountsResult r = SaveAccounts(kPath, fake.system, {a});
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.error.empty());
  EXPECT_EQ(fake.files.files[kPath], before);
}

// IMAP's keys: absent means a POP3 account as before; written only where they differ from
// their defaults, and a hand-edited value comes back as it was typed.
TEST(Accounts, ImapKeysAreReadAndWrittenOnlyWhenTheyDiffer) {
  std::vector<Account> accounts =
      ReadAccounts(IniFile::Parse("[SERVER1]\r\nMAILBOX=i\r\nPROTOCOL=1\r\nFOLDERS=INBOX, Lists\r\n"
                                  "[SERVER2]\r\nMAILBOX=q\r\nPROTOCOL=1\r\nPUSH=0\r\n"
                                  "[SERVER3]\r\nMAILBOX=p\r\n"),
                   kSt2);
  ASSERT_EQ(accounts.size(), 3u);
  EXPECT_EQ(accounts[0].protocol, kProtocolImap);
  EXPECT_EQ(accounts[0].folders, "INBOX, Lists");
  EXPECT_EQ(accounts[0].push, 1);
  EXPECT_EQ(accounts[1].folders, "INBOX");
  EXPECT_EQ(accounts[1].push, 0);
  EXPECT_EQ(accounts[2].protocol, kProtocolPop3);

  IniFile ini;
  testing::FakeSystem fake;
  ASSERT_TRUE(WriteAccounts(ini, accounts, fake.system).ok);
  EXPECT_EQ(ini.Find("SERVER1", "PROTOCOL"), "1");
  EXPECT_EQ(ini.Find("SERVER1", "FOLDERS"), "INBOX, Lists");
  EXPECT_FALSE(ini.Find("SERVER1", "PUSH"));
  EXPECT_FALSE(ini.Find("SERVER2", "FOLDERS"));
  EXPECT_EQ(ini.Find("SERVER2", "PUSH"), "0");
  for (const char* key : {"PROTOCOL", "FOLDERS", "PUSH"}) EXPECT_FALSE(ini.Find("SERVER3", key));

  // Back to the defaults: the keys go again.
  accounts[0].protocol = kProtocolPop3;
  accounts[0].folders = "INBOX";
  accounts[1].push = 1;
  ASSERT_TRUE(WriteAccounts(ini, accounts, fake.system).ok);
  EXPECT_FALSE(ini.Find("SERVER1", "PROTOCOL"));
  EXPECT_FALSE(ini.Find("SERVER1", "FOLDERS"));
  EXPECT_FALSE(ini.Find("SERVER2", "PUSH"));

  // The sheet's fields carry them both ways.
  Account edited;
  AccountFields fields = FieldsOf(accounts[1]);
  fields.folders = "Lists";
  SetFields(edited, fields);
  EXPECT_EQ(edited.protocol, kProtocolImap);
  EXPECT_EQ(edited.folders, "Lists");
}

TEST(Accounts, LongFoldersValueIsCut) {
  const std::string folders = "A," + std::string(kMaxFoldersText, 'x');
  std::vector<Account> accounts =
      ReadAccounts(IniFile::Parse("[SERVER1]\r\nFOLDERS=" + folders + "\r\n"), kSt2);
  ASSERT_EQ(accounts.size(), 1u);
  EXPECT_EQ(accounts[0].folders.size(), kMaxFoldersText);
  EXPECT_TRUE(accounts[0].folders.starts_with("A,"));
}

}  // namespace
}  // namespace postwink
