#include "core/check/unread_counts.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

TEST(UnreadCounts, PerAccountInOrderLeavingOutReadAndUnlisted) {
  std::vector<std::unique_ptr<Account>> accounts;
  for (const char* name : {"Home", "Work", "Quiet"}) {
    accounts.push_back(std::make_unique<Account>());
    accounts.back()->mailbox = name;
  }
  Account update;  // the update notice's pseudo-account is not one of them
  DisplayList list;
  auto add = [&list](Account* account, uint32_t flags) {
    auto item = std::make_unique<MailItem>();
    item->account = account;
    item->flags = flags;
    list.Append(std::move(item));
  };
  add(accounts[1].get(), 0);
  add(accounts[0].get(), kMailHidden);  // listed, just not announced
  add(accounts[1].get(), kMailImportant);
  add(accounts[0].get(), kMailRead);
  add(accounts[1].get(), kMailSpam);
  add(accounts[1].get(), kMailRemoved);
  add(accounts[2].get(), kMailRead);
  add(&update, 0);
  std::vector<UnreadCount> counts = CountUnread(list, accounts);
  ASSERT_EQ(counts.size(), 2u);
  EXPECT_EQ(counts[0].mailbox, "Home");
  EXPECT_EQ(counts[0].count, 1);
  EXPECT_EQ(counts[1].mailbox, "Work");
  EXPECT_EQ(counts[1].count, 2);
}

TEST(UnreadCounts, TheTipTakesWholeLinesThatFit) {
  std::vector<UnreadCount> counts = {{"Home", 1}, {"Work", 12}, {"Other", 3}};
  EXPECT_EQ(TipWithUnreadCounts("Postwink", counts, 127), "Postwink\nHome: 1\nWork: 12\nOther: 3");
  // "Postwink\nHome: 1" is 16 bytes, the next line 9 more.
  EXPECT_EQ(TipWithUnreadCounts("Postwink", counts, 24), "Postwink\nHome: 1");
  EXPECT_EQ(TipWithUnreadCounts("Postwink", counts, 25), "Postwink\nHome: 1\nWork: 12");
  EXPECT_EQ(TipWithUnreadCounts("Postwink", {}, 127), "Postwink");
  // The shell's field counts UTF-16 units: "受信箱" takes 3 of them, not its 9 bytes.
  EXPECT_EQ(TipWithUnreadCounts("P", {{"受信箱", 2}}, 8), "P\n受信箱: 2");
}

TEST(UnreadCounts, TheBadgeOnTheIcon) {
  EXPECT_EQ(TotalUnread({{"Home", 1}, {"Work", 12}}), 13);
  EXPECT_EQ(TotalUnread({}), 0);
  struct Case {
    int count;
    const char* text;
  } cases[] = {{-1, ""}, {0, ""}, {1, "1"}, {99, "99"}, {100, "+"}, {5000, "+"}};
  for (const Case& c : cases) EXPECT_EQ(CountBadgeText(c.count), c.text) << c.count;
}

}  // namespace
}  // namespace postwink
