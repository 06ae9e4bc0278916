// Checks against a real Dovecot on loopback (started by scripts/with-servers.sh).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/pop3/pop3_texts.h"
#include "integration/harness.h"

namespace postwink::integration {
namespace {

namespace fs = std::filesystem;
using Commands = std::vector<std::string>;

class DovecotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT("POSTWINK_DOVECOT_PORT");
    port = std::atoi(Env("POSTWINK_DOVECOT_PORT")->c_str());
    user = *Env("POSTWINK_DOVECOT_USER");
    password = *Env("POSTWINK_DOVECOT_PASS");
    maildir = fs::path(*Env("POSTWINK_DOVECOT_MAIL")) / user / "Maildir";
    Clear();
  }
  void TearDown() override {
    if (!maildir.empty()) Clear();
  }
  void Clear() { ClearMaildir(maildir); }
  void Deliver(const std::string& id, const std::string& extra = "") {
    DeliverMessage(maildir, id, extra);
  }
  void Remove(const std::string& id) {
    for (const char* sub : {"new", "cur"}) {
      for (const auto& e : fs::directory_iterator(maildir / sub)) {
        std::string name = e.path().filename().string();
        if (name.find("P1." + id) != std::string::npos) fs::remove(e.path());
      }
    }
  }
  static void ExpectNoDele(const Commands& commands) {
    for (const std::string& c : commands) EXPECT_NE(c.rfind("DELE", 0), 0u) << c;
  }

  int port = 0;
  std::string user, password;
  fs::path maildir;
};

TEST_F(DovecotTest, ChecksFollowTheMailbox) {
  for (const char* id : {"m1", "m2", "m3"}) Deliver(id);
  Checker checker;
  checker.AddAccount("dove", port, user, password);

  checker.CheckNow();
  EXPECT_FALSE(checker.OutcomeOf(0).failed) << checker.OutcomeOf(0).error;
  // Dovecot lists PIPELINING: the LISTs go out together, each RETR as its LIST has answered.
  EXPECT_EQ(checker.Commands("dove"),
            (Commands{"CAPA", "USER " + user, "PASS ****", "STAT", "LIST 1", "LIST 2", "LIST 3",
                      "RETR 1", "RETR 2", "RETR 3", "UIDL", "QUIT"}));
  CheckEngine& engine = checker.Engine();
  ASSERT_EQ(engine.List().Size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    const MailItem& item = *engine.List().At(i);
    EXPECT_EQ(item.subject, "message m" + std::to_string(i + 1));
    ASSERT_TRUE(item.uniqueId);
    EXPECT_EQ(item.uniqueId->size(), 16u);  // filled in from Dovecot's UIDL listing
  }
  EXPECT_TRUE(engine.NewMail());
  EXPECT_EQ(checker.LogText().find(password), std::string::npos);

  // Nothing new: one verification TOP.
  checker.CheckNow();
  EXPECT_EQ(checker.Commands("dove"),
            (Commands{"CAPA", "USER " + user, "PASS ****", "STAT", "TOP 3 0", "QUIT"}));
  EXPECT_EQ(engine.List().Size(), 3u);

  // One deleted by another client, one arrived: renumbered, flagged gone, the new one fetched.
  Remove("m1");
  Deliver("m4");
  checker.CheckNow();
  EXPECT_EQ(checker.Commands("dove"),
            (Commands{"CAPA", "USER " + user, "PASS ****", "STAT", "TOP 3 0", "UIDL", "LIST 3",
                      "RETR 3", "UIDL", "QUIT"}));
  ASSERT_EQ(engine.List().Size(), 4u);
  EXPECT_NE(engine.List().At(0)->flags & kMailGone, 0u);
  EXPECT_EQ(engine.List().At(3)->subject, "message m4");
  Account& account = checker.AccountAt(0);
  ASSERT_EQ(account.items.size(), 3u);
  EXPECT_EQ(account.items[0]->number, 1);
  EXPECT_EQ(account.items[2]->number, 3);

  // Everything deleted.
  Clear();
  checker.CheckNow();
  EXPECT_EQ(checker.Commands("dove"),
            (Commands{"CAPA", "USER " + user, "PASS ****", "STAT", "UIDL", "QUIT"}));
  EXPECT_TRUE(account.items.empty());
  for (const auto& item : engine.List().Items()) EXPECT_NE(item->flags & kMailGone, 0u);
  ExpectNoDele(checker.Commands("dove"));
}

TEST_F(DovecotTest, ApopLogin) {
  Deliver("a1");
  std::string apopUser = *Env("POSTWINK_DOVECOT_APOP_USER");
  fs::path apopDir = fs::path(*Env("POSTWINK_DOVECOT_MAIL")) / apopUser / "Maildir";
  {
    std::ofstream f(apopDir / "new" / "1700000000.M1P1.apop", std::ios::binary);
    f << "From: a@example.com\r\nSubject: apop\r\nMessage-Id: <apop@test>\r\n\r\nbody\r\n";
  }
  Checker checker;
  checker.AddAccount("apop", port, apopUser, *Env("POSTWINK_DOVECOT_APOP_PASS"), true);
  checker.CheckNow();
  EXPECT_FALSE(checker.OutcomeOf(0).failed) << checker.OutcomeOf(0).error;
  Commands commands = checker.Commands("apop");
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands[1], "APOP ****");
  EXPECT_EQ(commands[2], "STAT");
  ASSERT_EQ(checker.Engine().List().Size(), 1u);
  EXPECT_EQ(checker.Engine().List().At(0)->subject, "apop");
  for (const auto& e : fs::directory_iterator(apopDir / "cur")) fs::remove(e.path());
  for (const auto& e : fs::directory_iterator(apopDir / "new")) fs::remove(e.path());
}

TEST_F(DovecotTest, WrongPasswordFailsTheAccount) {
  Deliver("w1");
  Checker checker;
  checker.AddAccount("dove", port, user, "not-the-password");
  checker.CheckNow();
  ASSERT_TRUE(checker.OutcomeOf(0).failed);
  EXPECT_TRUE(checker.OutcomeOf(0).error.starts_with(texts::kAuthRejected))
      << checker.OutcomeOf(0).error;
  EXPECT_NE(checker.OutcomeOf(0).error.find("-ERR"), std::string::npos);
  EXPECT_EQ(checker.Commands("dove"), (Commands{"CAPA", "USER " + user, "PASS ****"}));
  EXPECT_TRUE(checker.Engine().ErrorSeen());
}

TEST_F(DovecotTest, TopModeAsksGetLineBodyLines) {
  Deliver("t1");
  Deliver("t2");
  Settings settings = Checker::DefaultSettings();
  settings.listDown = 0;
  settings.getLine = 1;
  Checker checker(settings);
  checker.AddAccount("dove", port, user, password);
  checker.CheckNow();
  EXPECT_EQ(checker.Commands("dove"),
            (Commands{"CAPA", "USER " + user, "PASS ****", "STAT", "LIST 1", "LIST 2", "TOP 1 1",
                      "TOP 2 1", "UIDL", "QUIT"}));
  ASSERT_EQ(checker.Engine().List().Size(), 2u);
  const MailItem& item = *checker.Engine().List().At(0);
  ASSERT_TRUE(item.previewText);
  EXPECT_NE(item.previewText->find("line one of t1"), std::string::npos);
  EXPECT_EQ(item.previewText->find("line two"), std::string::npos);
}

TEST_F(DovecotTest, PipeliningOnAndOffListTheSameMessages) {
  for (int i = 1; i <= 150; ++i) Deliver("q" + std::to_string(i));
  std::vector<std::string> lists[2];
  for (bool pipelining : {false, true}) {
    Checker checker;
    checker.AddAccount("dove", port, user, password);
    checker.SetPipelining(pipelining);
    checker.CheckNow();
    ASSERT_FALSE(checker.OutcomeOf(0).failed) << checker.OutcomeOf(0).error;
    for (const auto& item : checker.Engine().List().Items()) {
      lists[pipelining].push_back(item->subject.value_or("") + " " + item->uniqueId.value_or("") +
                                  " " + item->sizeText.value_or(""));
    }
    EXPECT_EQ(checker.AccountAt(0).lastNumber, 150);
    Commands commands = checker.Commands("dove");
    auto at = [&](const char* c) { return std::find(commands.begin(), commands.end(), c); };
    if (pipelining) {
      EXPECT_LT(at("LIST 40"), at("RETR 1"));
    } else {
      EXPECT_EQ(at("RETR 1") + 1, at("LIST 2"));
    }
  }
  ASSERT_EQ(lists[0].size(), 150u);
  EXPECT_EQ(lists[0], lists[1]);
}

}  // namespace
}  // namespace postwink::integration
