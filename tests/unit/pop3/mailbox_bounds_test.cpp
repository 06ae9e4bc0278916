#include "core/pop3/mailbox_bounds.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/pop3/pop3_session.h"
#include "unit/pop3/fake_pop3.h"

namespace postwink {
namespace {

using testing::FakeServer;
using testing::FakeSessionHost;
using testing::MakeMessage;
using testing::RunSession;

// A mailbox far bigger than the bounds: only the newest messages are fetched, and the account
// keeps only the newest items.
TEST(MailboxBounds, AHugeMailboxIsFetchedFromItsNewestMessages) {
  FakeSessionHost host;
  ItemKeeper keeper;
  Pop3Session session(host, keeper);
  SessionSettings settings;
  settings.bounds.fetched = 3;
  settings.bounds.items = 4;
  session.SetSettings(settings);
  Account account;
  account.mailbox = "box";
  account.user = "user";
  account.password = "secret";
  FakeServer server;
  for (int i = 1; i <= 10; ++i) server.messages.push_back(MakeMessage("m" + std::to_string(i)));
  auto numbers = [&] {
    std::vector<int> out;
    for (const MailItem* item : account.items) out.push_back(item->number);
    return out;
  };

  RunSession(session, account, server);
  EXPECT_EQ(numbers(), (std::vector<int>{8, 9, 10}));
  EXPECT_EQ(account.lastNumber, 10);
  EXPECT_EQ(account.messageCount, 10);
  for (int i = 11; i <= 13; ++i) server.messages.push_back(MakeMessage("m" + std::to_string(i)));
  RunSession(session, account, server);
  EXPECT_EQ(numbers(), (std::vector<int>{10, 11, 12, 13}));
  EXPECT_EQ(keeper.Size(), 4u);  // the items that left the account were released
}

// Each item keeps a bounded text, and the account a bounded total: the oldest give theirs up.
TEST(MailboxBounds, KeptTextIsBoundedPerItemAndPerAccount) {
  MailboxBounds bounds;
  bounds.itemText = 100;
  bounds.accountText = 250;
  ItemKeeper keeper;
  Account account;
  for (int i = 0; i < 4; ++i) {
    auto item = std::make_unique<MailItem>();
    item->headerText = std::string(30, 'h');
    item->previewText = std::string(1000, 'p');
    account.items.push_back(keeper.Adopt(std::move(item)));
    KeepWithinBounds(account, keeper, bounds);
  }
  std::vector<size_t> kept;
  for (const MailItem* item : account.items) {
    kept.push_back(item->previewText.value_or("").size() + item->headerText.value_or("").size());
  }
  EXPECT_EQ(kept, (std::vector<size_t>{0, 0, 100, 100}));
}

}  // namespace
}  // namespace postwink
