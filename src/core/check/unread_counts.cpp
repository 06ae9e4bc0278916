#include "core/check/unread_counts.h"

#include "core/text/utf8.h"

namespace postwink {

std::vector<UnreadCount> CountUnread(const DisplayList& list,
                                     const std::vector<std::unique_ptr<Account>>& accounts) {
  std::vector<UnreadCount> counts;
  for (const auto& account : accounts) {
    int unread = 0;
    for (const auto& item : list.Items()) {
      if (item->account == account.get() &&
          (item->flags & (kMailRead | kMailSpam | kMailRemoved)) == 0) {
        ++unread;
      }
    }
    if (unread > 0) counts.push_back({account->mailbox.value_or(""), unread});
  }
  return counts;
}

std::string TipWithUnreadCounts(const std::string& tip, const std::vector<UnreadCount>& counts,
                                size_t maxUnits) {
  std::string text = tip;
  size_t units = CountUtf16Units(text);
  for (const UnreadCount& c : counts) {
    std::string line = "\n" + c.mailbox + ": " + std::to_string(c.count);
    size_t lineUnits = CountUtf16Units(line);
    if (units + lineUnits > maxUnits) break;
    units += lineUnits;
    text += line;
  }
  return text;
}

int TotalUnread(const std::vector<UnreadCount>& counts) {
  int total = 0;
  for (const UnreadCount& c : counts) total += c.count;
  return total;
}

std::string CountBadgeText(int count) {
  if (count <= 0) return {};
  if (count > 99) return "+";
  return std::to_string(count);
}

}  // namespace postwink
