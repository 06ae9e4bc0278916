#pragma once
// The unread messages of the list, counted per account, for the tray icon's tool tip.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "core/check/display_list.h"
#include "core/config/account.h"

namespace postwink {

struct UnreadCount {
  std::string mailbox;
  int count = 0;
};

// The accounts in their order, each with its listed messages not yet read; accounts without
// any are left out.
std::vector<UnreadCount> CountUnread(const DisplayList& list,
                                     const std::vector<std::unique_ptr<Account>>& accounts);

// The tip's text followed by a line "mailbox: n" per account, as many whole lines as fit in
// maxUnits UTF-16 units, the measure of the shell's tip field.
std::string TipWithUnreadCounts(const std::string& tip, const std::vector<UnreadCount>& counts,
                                size_t maxUnits);

// All the unread messages of the list's accounts.
int TotalUnread(const std::vector<UnreadCount>& counts);
// The count drawn on the tray icon: none for 0, the number up to 99, "+" for more (no more than
// two characters fit on a small icon).
std::string CountBadgeText(int count);

}  // namespace postwink
