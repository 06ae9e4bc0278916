#include "core/pop3/item_keeper.h"

namespace postwink {

MailItem* ItemKeeper::Adopt(std::unique_ptr<MailItem> item) {
  MailItem* raw = item.get();
  if (raw != nullptr) items_[raw] = std::move(item);
  return raw;
}

std::unique_ptr<MailItem> ItemKeeper::Take(MailItem* item) {
  auto it = items_.find(item);
  if (it == items_.end()) return nullptr;
  std::unique_ptr<MailItem> owned = std::move(it->second);
  items_.erase(it);
  return owned;
}

void ItemKeeper::Release(MailItem* item) { items_.erase(item); }

void ItemKeeper::ReleaseIf(const std::function<bool(const MailItem&)>& remove) {
  std::erase_if(items_, [&](const auto& entry) { return remove(*entry.second); });
}

}  // namespace postwink
