#include "core/pop3/mailbox_sync.h"

namespace postwink {
namespace {
SyncStep FetchFrom(const Account& account, int number) {
  if (number > account.messageCount) return {SyncStep::Kind::kQuit, 0};
  return {SyncStep::Kind::kFetch, number};
}
}  // namespace

SyncStep AfterStat(Account& account) {
  if (account.lastNumber == -1) {
    account.lastNumber = 0;
    if (account.messageCount == 0) return {SyncStep::Kind::kQuit, 0};
  }
  if (account.messageCount < account.lastNumber || account.messageCount == 0) {
    return {SyncStep::Kind::kResync, 0};
  }
  if (account.lastNumber > 0 && account.lastIdentity) {
    return {SyncStep::Kind::kVerify, account.lastNumber};
  }
  return {SyncStep::Kind::kFetch, account.lastNumber > 0 ? account.lastNumber : 1};
}

SyncStep AfterVerification(Account& account, std::string_view identity) {
  if (!account.lastIdentity || *account.lastIdentity != identity) {
    return {SyncStep::Kind::kResync, 0};
  }
  return FetchFrom(account, account.lastNumber + 1);
}

SyncStep Resynchronise(Account& account, UidlTable& table, ItemKeeper& keeper) {
  MailItem* lastFound = nullptr;
  std::vector<MailItem*> kept;
  kept.reserve(account.items.size());
  for (MailItem* item : account.items) {
    std::optional<int> number;
    if (item->uniqueId) number = table.NumberOf(*item->uniqueId);
    if (number) {
      item->number = *number;
      lastFound = item;
      kept.push_back(item);
    } else {
      item->flags |= kMailGone;
      keeper.Release(item);
    }
  }
  account.items = std::move(kept);
  table.Clear();
  if (lastFound != nullptr) {
    account.lastIdentity = lastFound->identity;
    account.lastNumber = lastFound->number;
  } else {
    account.lastIdentity.reset();
    account.lastNumber = 0;
  }
  return FetchFrom(account, account.lastNumber + 1);
}

void FillUniqueIds(Account& account, UidlTable& table) {
  for (MailItem* item : account.items) {
    if (item->uniqueId) continue;
    if (const std::string* id = table.UniqueIdOf(item->number)) item->uniqueId = *id;
  }
  table.Clear();
}

bool MissesUniqueIds(const Account& account) {
  for (const MailItem* item : account.items) {
    if (!item->uniqueId) return true;
  }
  return false;
}

void EmptyItems(Account& account, ItemKeeper& keeper) {
  for (MailItem* item : account.items) keeper.Release(item);
  account.items.clear();
}

bool IsNewVisible(const MailItem& item) {
  return item.isNew != 0 &&
         (item.flags & (kMailGone | kMailRemoved | kMailSpam | kMailHidden)) == 0;
}

void ClearNewFlags(const std::vector<std::unique_ptr<Account>>& accounts) {
  for (const auto& account : accounts) {
    for (MailItem* item : account->items) item->isNew = 0;
  }
}

bool HasNewVisible(const Account& account) {
  for (const MailItem* item : account.items) {
    if (IsNewVisible(*item)) return true;
  }
  return false;
}

}  // namespace postwink
