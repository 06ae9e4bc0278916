#include "core/check/display_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "core/pop3/mailbox_sync.h"

namespace postwink {
namespace {

class MergeTest : public ::testing::Test {
 protected:
  MailItem* Add(Account& account, const std::string& identity, std::optional<std::string> uniqueId,
                uint32_t flags = 0) {
    auto item = std::make_unique<MailItem>();
    item->identity = identity;
    item->uniqueId = std::move(uniqueId);
    item->account = &account;
    item->flags = flags;
    item->isNew = 1;
    MailItem* raw = keeper.Adopt(std::move(item));
    account.items.push_back(raw);
    return raw;
  }
  Account first, second;
  ItemKeeper keeper;
  DisplayList list;
};

TEST_F(MergeTest, SameMessageRules) {
  Add(first, "<a>", "u1");
  Add(first, "<b>", std::nullopt);
  Add(first, "<c>", "u3", kMailHidden);
  Add(first, "<d>", "u4", kMailSpam);
  EXPECT_EQ(MergeIntoDisplayList(first, list, keeper), 2);  // hidden and spam are not counted
  EXPECT_EQ(list.Size(), 4u);
  EXPECT_EQ(keeper.Size(), 0u);

  // A unique id is unique only within its mailbox: two mailboxes opened in the same second give
  // the same ids, and the second account's messages must still be listed.
  Add(second, "<x>", "u1");
  Add(second, "<b>", std::nullopt);  // equal identity, other account: a different message
  MailItem* sameAccount = Add(first, "<b>", "u9");  // one side without id: identity and account
  MailItem* sameId = Add(first, "<e>", "u1");       // the same id in the same mailbox
  MailItem* duplicateInBatch = Add(second, "<y>", "u7");
  Add(second, "<z>", "u7");
  EXPECT_EQ(MergeIntoDisplayList(second, list, keeper), 3);
  EXPECT_EQ(MergeIntoDisplayList(first, list, keeper), 0);
  EXPECT_EQ(list.Size(), 7u);
  // Items that never entered the list stay owned by the keeper until their account drops them.
  EXPECT_TRUE(keeper.Holds(sameAccount));
  EXPECT_TRUE(keeper.Holds(sameId));
  EXPECT_FALSE(keeper.Holds(duplicateInBatch));
  EXPECT_EQ(keeper.Size(), 3u);

  EmptyItems(first, keeper);
  EmptyItems(second, keeper);
  EXPECT_EQ(keeper.Size(), 0u);
  EXPECT_EQ(list.Size(), 7u);  // listed items stay valid
  for (const auto& item : list.Items()) EXPECT_FALSE(item->identity.empty());
}

TEST_F(MergeTest, NewVisibleAndClearingNewFlags) {
  MailItem* a = Add(first, "<a>", "u1", kMailHidden);
  EXPECT_FALSE(HasNewVisible(first));
  MailItem* b = Add(first, "<b>", "u2");
  EXPECT_TRUE(HasNewVisible(first));
  for (uint32_t flag : {kMailGone, kMailRemoved, kMailSpam, kMailHidden}) {
    b->flags = flag;
    EXPECT_FALSE(HasNewVisible(first)) << flag;
  }
  b->flags = kMailRead;
  EXPECT_TRUE(HasNewVisible(first));
  std::vector<std::unique_ptr<Account>> accounts;
  accounts.push_back(std::make_unique<Account>());
  accounts[0]->items = {a, b};
  ClearNewFlags(accounts);
  EXPECT_EQ(a->isNew + b->isNew, 0);
  EmptyItems(first, keeper);
}

TEST(DisplayList, ContainsOnlyWhatItStillHolds) {
  DisplayList list;
  list.Append(std::make_unique<MailItem>());
  list.Append(std::make_unique<MailItem>());
  MailItem* kept = list.At(0);
  MailItem* dropped = list.At(1);
  dropped->flags = kMailGone;
  EXPECT_TRUE(list.Contains(dropped));
  list.RemoveIf([](const MailItem& item) { return item.flags & kMailGone; });
  EXPECT_TRUE(list.Contains(kept));
  EXPECT_FALSE(list.Contains(dropped));
  EXPECT_FALSE(list.Contains(nullptr));
}

}  // namespace
}  // namespace postwink
