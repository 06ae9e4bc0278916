#include "core/pop3/mailbox_bounds.h"

#include <algorithm>
#include <optional>
#include <string>

#include "core/mime/mail_item.h"
#include "core/text/utf8.h"

namespace postwink {
namespace {

void CutText(std::optional<std::string>& text, size_t limit) {
  if (text && text->size() > limit) {
    text->resize(CutAtCharBoundary(*text, limit).size());
    text->shrink_to_fit();
  }
}

size_t TextSize(const MailItem& item) {
  return (item.previewText ? item.previewText->size() : 0) +
         (item.headerText ? item.headerText->size() : 0);
}

}  // namespace

int FirstFetched(const Account& account, int first, const MailboxBounds& bounds) {
  long long oldest = static_cast<long long>(account.messageCount) - bounds.fetched + 1;
  return static_cast<int>(std::max<long long>(first, oldest));
}

void KeepWithinBounds(Account& account, ItemKeeper& keeper, const MailboxBounds& bounds) {
  if (!account.items.empty()) {
    MailItem& newest = *account.items.back();
    CutText(newest.headerText, bounds.itemText);
    CutText(newest.previewText,
            bounds.itemText - (newest.headerText ? newest.headerText->size() : 0));
  }
  size_t total = 0;
  for (auto it = account.items.rbegin(); it != account.items.rend(); ++it) {
    MailItem& item = **it;
    total += TextSize(item);
    if (total > bounds.accountText) {
      total -= TextSize(item);
      item.previewText.reset();
      item.headerText.reset();
    }
  }
  if (account.items.size() > bounds.items) {
    size_t drop = account.items.size() - bounds.items;
    for (size_t i = 0; i < drop; ++i) keeper.Release(account.items[i]);
    account.items.erase(account.items.begin(), account.items.begin() + static_cast<long>(drop));
  }
}

}  // namespace postwink
