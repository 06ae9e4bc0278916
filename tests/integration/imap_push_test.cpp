// IMAP push through the engine against the real Dovecot: a delivery announced while the
// account idles, and a server restart in the middle of a watch.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "integration/harness.h"

namespace postwink::integration {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The engine as `postwink-cli watch` runs it, with one push account on the IMAP user's mailbox.
class DovecotPushTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT("POSTWINK_IMAP_PORT");
    inbox = fs::path(*Env("POSTWINK_DOVECOT_MAIL")) / *Env("POSTWINK_IMAP_USER") / "Maildir";
    ClearMaildir(inbox);
    dir = fs::temp_directory_path() / ("postwink-push-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    host = MakeHeadlessHost(settings, nullptr, dir);
    host->onNewMail = [this](const std::vector<const MailItem*>& items) {
      for (const MailItem* item : items) announced.push_back(item->subject.value_or(""));
    };
    host->onAccountEnded = [this](int, const std::string* error) {
      if (error != nullptr) failures.push_back(*error);
    };
  }
  void TearDown() override {
    if (engine) engine->Stop();
    if (!inbox.empty()) ClearMaildir(inbox);
    if (!dir.empty()) fs::remove_all(dir);
  }

  void StartWatch() {
    std::vector<std::unique_ptr<Account>> accounts;
    accounts.push_back(std::make_unique<Account>());
    Account& account = *accounts.back();
    account.mailbox = "push";
    account.server = "127.0.0.1";
    account.port = std::atoi(Env("POSTWINK_IMAP_PORT")->c_str());
    account.user = *Env("POSTWINK_IMAP_USER");
    account.password = *Env("POSTWINK_IMAP_PASS");
    account.enabled = 1;
    account.protocol = kProtocolImap;
    engine = std::make_unique<CheckEngine>(*host, transport, settings, std::move(accounts));
    engine->EnablePush([] { return MakePlatformTransport(); });
  }
  bool RunUntil(const std::function<bool()>& done, int limitMs) {
    return RunWatchUntil(*host, *engine, transport, done, limitMs);
  }
  bool Idling() { return OnlyPushIdles(*engine); }
  Clock::time_point Deliver(const std::string& id) { return DeliverAtOnce(inbox, id); }

  Settings settings = Checker::DefaultSettings();
  fs::path inbox, dir;
  std::unique_ptr<HeadlessCheckHost> host;
  PosixTransport transport;
  std::unique_ptr<CheckEngine> engine;
  std::vector<std::string> announced;
  std::vector<std::string> failures;
};

// Push: a message delivered while the account idles is announced within two seconds, once.
TEST_F(DovecotPushTest, IdleAnnouncesADeliveryWithinTwoSeconds) {
  DeliverMessage(inbox, "old");
  StartWatch();
  ASSERT_TRUE(RunUntil([&] { return Idling() && announced.size() == 1; }, 20000));
  EXPECT_EQ(announced, std::vector<std::string>{"message old"});

  const auto deliveredAt = Deliver("pushed");
  ASSERT_TRUE(RunUntil([&] { return announced.size() >= 2; }, 10000));
  const auto took = Clock::now() - deliveredAt;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
  RecordProperty("announced_ms", static_cast<int>(ms));
  EXPECT_LT(took, std::chrono::seconds(2)) << ms << " ms";
  EXPECT_EQ(announced, (std::vector<std::string>{"message old", "message pushed"}));
  // Idling again, and nothing is announced twice.
  RunUntil([] { return false; }, 1500);
  EXPECT_TRUE(Idling());
  EXPECT_EQ(announced.size(), 2u);
}

// The server goes away under an idling connection (its IMAP processes too, which would otherwise
// keep the old connection alive) and comes back: the loss is noticed, the connection is opened
// again, and the mail delivered while it was down and after it came back is announced once each.
TEST_F(DovecotPushTest, DovecotRestartedDuringAWatchMissesNothingAndRepeatsNothing) {
  SKIP_WITHOUT("POSTWINK_DOVECOT_RESTART");
  const std::string restart = *Env("POSTWINK_DOVECOT_RESTART");
  DeliverMessage(inbox, "old");
  StartWatch();
  ASSERT_TRUE(RunUntil([&] { return Idling() && announced.size() == 1; }, 20000));

  ASSERT_EQ(std::system((restart + " stop").c_str()), 0);
  // Not a word from the server is needed: the closed connection is enough.
  ASSERT_TRUE(RunUntil([&] { return !failures.empty(); }, 10000))
      << "the connection outlived the server";
  Deliver("while-down");
  RunUntil([&] { return failures.size() >= 2; }, 5000);
  EXPECT_GE(failures.size(), 2u) << "a connect while the server is down fails";
  ASSERT_EQ(std::system((restart + " start").c_str()), 0);

  ASSERT_TRUE(RunUntil([&] { return Idling() && announced.size() >= 2; }, 30000));
  Deliver("after");
  ASSERT_TRUE(RunUntil([&] { return announced.size() >= 3; }, 10000));
  RunUntil([] { return false; }, 1500);
  EXPECT_TRUE(Idling());
  EXPECT_EQ(announced,
            (std::vector<std::string>{"message old", "message while-down", "message after"}));
}

}  // namespace
}  // namespace postwink::integration
