#pragma once
// Owns the fetched MailItems that are not (yet) in the DisplayList. An account's item list only
// points at items; each item is owned either here or by the DisplayList, so an item dropped from
// an account before it was ever listed is released, and a listed item stays valid.

#include <cstddef>
#include <functional>
#include <memory>
#include <unordered_map>

#include "core/mime/mail_item.h"

namespace postwink {

class ItemKeeper {
 public:
  MailItem* Adopt(std::unique_ptr<MailItem> item);
  // Hands the item over (to the DisplayList); null when it is not held here.
  std::unique_ptr<MailItem> Take(MailItem* item);
  // Destroys the item when it is held here; an item owned elsewhere is left alone.
  void Release(MailItem* item);
  // Destroys every held item for which remove is true.
  void ReleaseIf(const std::function<bool(const MailItem&)>& remove);
  bool Holds(const MailItem* item) const { return items_.count(const_cast<MailItem*>(item)) > 0; }
  size_t Size() const { return items_.size(); }

 private:
  std::unordered_map<MailItem*, std::unique_ptr<MailItem>> items_;
};

}  // namespace postwink
