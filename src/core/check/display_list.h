#pragma once
// The DisplayList: the ordered items that the message list shows. It owns them; an item leaves
// it only to be destroyed (gone from the server with SERVER_SYN on, or its account deleted).

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "core/config/account.h"
#include "core/mime/mail_item.h"
#include "core/pop3/item_keeper.h"

namespace postwink {

class DisplayList {
 public:
  size_t Size() const { return items_.size(); }
  MailItem* At(size_t index) const { return items_[index].get(); }
  const std::vector<std::unique_ptr<MailItem>>& Items() const { return items_; }
  // Whether the item is still listed: a pointer that a window message carried may have been
  // destroyed since.
  bool Contains(const MailItem* item) const;

  void Reserve(size_t count) { items_.reserve(count); }
  void Append(std::unique_ptr<MailItem> item) { items_.push_back(std::move(item)); }
  // Puts item in the place of the one at index, which is destroyed.
  void Replace(size_t index, std::unique_ptr<MailItem> item) { items_[index] = std::move(item); }
  // Destroys every item for which remove is true, keeping the order of the rest.
  size_t RemoveIf(const std::function<bool(const MailItem&)>& remove);

 private:
  std::vector<std::unique_ptr<MailItem>> items_;
};

// Moves the account's items that the list does not hold yet (same account and unique id, or same
// account and identity when either lacks a unique id) from the keeper into the list. Returns how
// many of them count as new (neither spam nor hidden). Linear: the list is indexed once per call.
// A listed item flagged as gone never holds back a fresh copy of its message (fetched again
// after a resynchronisation that could not find it): the copy takes its place and its user
// state, and counts as nothing new; replaced, when given, counts these.
int MergeIntoDisplayList(Account& account, DisplayList& list, ItemKeeper& keeper,
                         size_t* replaced = nullptr);

}  // namespace postwink
