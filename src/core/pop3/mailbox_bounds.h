#pragma once
// What one account may make the program hold, whatever its server says: how many of the newest
// messages a check fetches (the older ones are counted by STAT but never fetched), how many items
// the account keeps, and how much message text they keep between them.

#include <cstddef>

#include "core/config/account.h"
#include "core/pop3/item_keeper.h"

namespace postwink {

inline constexpr int kMaxFetchedMessages = 5000;
inline constexpr size_t kMaxAccountItems = 5000;
// Enough for the text of any message a common server accepts, attachments included.
inline constexpr size_t kMaxItemText = 32u << 20;
inline constexpr size_t kMaxAccountKeptText = 256u << 20;

struct MailboxBounds {
  int fetched = kMaxFetchedMessages;
  size_t items = kMaxAccountItems;
  size_t itemText = kMaxItemText;
  size_t accountText = kMaxAccountKeptText;
};

// The first message a fetch from first on takes: no older than the newest bounds.fetched.
int FirstFetched(const Account& account, int first, const MailboxBounds& bounds);

// After an item was appended: each item keeps at most bounds.itemText of text; beyond
// bounds.accountText the oldest items give up their text (they stay listed without preview or
// attachments); beyond bounds.items the oldest leave the account (released when not listed).
void KeepWithinBounds(Account& account, ItemKeeper& keeper, const MailboxBounds& bounds);

}  // namespace postwink
