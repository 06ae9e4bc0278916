#pragma once
// Which messages on a server are new to the program, and keeping each account's picture of its
// mailbox in step with the server: the decisions after STAT, at the end of the verification TOP
// and when a UIDL listing is complete.

#include <memory>
#include <string_view>
#include <vector>

#include "core/config/account.h"
#include "core/pop3/item_keeper.h"
#include "core/pop3/uidl_table.h"

namespace postwink {

struct SyncStep {
  enum class Kind {
    kQuit,    // nothing (more) to fetch
    kResync,  // ask UIDL and renumber
    kVerify,  // TOP number 0: is the message at lastNumber still the same one?
    kFetch    // LIST and fetch from number on
  };
  Kind kind = Kind::kQuit;
  int number = 0;
};

SyncStep AfterStat(Account& account);
SyncStep AfterVerification(Account& account, std::string_view identity);
// Renumbers the items found in the listing and drops the others from the account, flagged as
// gone; an item dropped that was never listed is released.
SyncStep Resynchronise(Account& account, UidlTable& table, ItemKeeper& keeper);
// Gives items without a unique id the one the listing shows for their number.
void FillUniqueIds(Account& account, UidlTable& table);
// An item of the account has no unique id yet (the check that fetched it was cut off before
// its UIDL listing).
bool MissesUniqueIds(const Account& account);
// Empties the account's item list (the server has no UIDL, or the message at lastNumber is
// fetched again); items never listed are released.
void EmptyItems(Account& account, ItemKeeper& keeper);

// isNew set and none of gone, removed, spam, hidden.
bool IsNewVisible(const MailItem& item);
bool HasNewVisible(const Account& account);
// Clears isNew of every item of every account.
void ClearNewFlags(const std::vector<std::unique_ptr<Account>>& accounts);

}  // namespace postwink
