#include "core/check/display_list.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace postwink {
namespace {

// A text of one account: its unique id or its identity.
using AccountKey = std::pair<const Account*, std::string_view>;

struct AccountKeyHash {
  size_t operator()(const AccountKey& key) const {
    return std::hash<std::string_view>()(key.second) ^
           (std::hash<const void*>()(key.first) * 0x9E3779B97F4A7C15ull);
  }
};

// The list's (account, unique id) and (account, identity) pairs, for the same-message test. A
// POP3 unique id is unique only within one mailbox, so it is always taken with its account.
struct MergeIndex {
  std::unordered_set<AccountKey, AccountKeyHash> uniqueIds;
  std::unordered_set<AccountKey, AccountKeyHash> identitiesWithoutId;
  std::unordered_set<AccountKey, AccountKeyHash> identities;

  void Add(const MailItem& item) {
    AccountKey key{item.account, item.identity};
    if (item.uniqueId) {
      uniqueIds.insert({item.account, *item.uniqueId});
    } else {
      identitiesWithoutId.insert(key);
    }
    identities.insert(key);
  }

  bool Holds(const MailItem& item) const {
    AccountKey key{item.account, item.identity};
    if (item.uniqueId) {
      return uniqueIds.count({item.account, *item.uniqueId}) > 0 ||
             identitiesWithoutId.count(key) > 0;
    }
    return identities.count(key) > 0;
  }
};

}  // namespace

size_t DisplayList::RemoveIf(const std::function<bool(const MailItem&)>& remove) {
  auto end = std::remove_if(items_.begin(), items_.end(),
                            [&](const std::unique_ptr<MailItem>& item) { return remove(*item); });
  size_t removed = static_cast<size_t>(items_.end() - end);
  items_.erase(end, items_.end());
  return removed;
}

bool DisplayList::Contains(const MailItem* item) const {
  return item &&
         std::any_of(items_.begin(), items_.end(),
                     [&](const std::unique_ptr<MailItem>& own) { return own.get() == item; });
}

int MergeIntoDisplayList(Account& account, DisplayList& list, ItemKeeper& keeper,
                         size_t* replaced) {
  MergeIndex index;
  // The account's gone entries by identity, the one text that a copy without a unique id shares.
  std::unordered_map<std::string_view, size_t> gone;
  for (size_t i = 0; i < list.Size(); ++i) {
    const MailItem& entry = *list.At(i);
    if ((entry.flags & kMailGone) == 0) {
      index.Add(entry);
    } else if (entry.account == &account) {
      gone.emplace(entry.identity, i);
    }
  }
  // Room first: an item taken from the keeper must reach the list, or memory running out would
  // destroy it while its account still points at it.
  list.Reserve(list.Size() + account.items.size());
  int count = 0;
  for (MailItem* item : account.items) {
    if (index.Holds(*item)) continue;
    std::unique_ptr<MailItem> owned = keeper.Take(item);
    if (!owned) continue;
    const MailItem& listed = *owned;
    if (auto it = gone.find(item->identity); it != gone.end()) {
      const MailItem& old = *list.At(it->second);
      owned->flags |= old.flags & kMailRemoved;
      owned->isNew = old.isNew;
      size_t at = it->second;
      gone.erase(it);
      list.Replace(at, std::move(owned));
      if (replaced != nullptr) ++*replaced;
      index.Add(listed);
      continue;
    }
    list.Append(std::move(owned));
    if ((listed.flags & (kMailSpam | kMailHidden)) == 0) ++count;
    index.Add(listed);
  }
  return count;
}

}  // namespace postwink
