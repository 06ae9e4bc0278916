#include "core/check/check_engine.h"

#include <algorithm>
#include <new>
#include <utility>

#include "core/check/access_token.h"
#include "core/check/check_texts.h"
#include "core/imap/imap_texts.h"
#include "core/net/net_texts.h"
#include "core/pop3/mailbox_sync.h"
#include "core/pop3/pop3_texts.h"

namespace postwink {
namespace {
constexpr int kStepMs = 100;
constexpr int kMinuteMs = 60000;
constexpr char kProgramName[] = "Postwink";
constexpr uint32_t kUpdateColour = 0x0000FF;
// -1 when the account is not among these.
int PositionIn(const std::vector<std::unique_ptr<Account>>& accounts, const Account* account) {
  for (size_t i = 0; i < accounts.size(); ++i) {
    if (accounts[i].get() == account) return static_cast<int>(i);
  }
  return -1;
}
}  // namespace

int ServerTimeoutMs(int seconds) {
  if (seconds <= 0) seconds = 60;
  return std::min(seconds, 24 * 3600) * 1000;
}

ImapSessionSettings ImapSessionSettingsFrom(const Settings& settings, bool verbose) {
  ImapSessionSettings session;
  session.getLine = settings.getLine;
  session.log = settings.log == 1 || verbose;
  return session;
}

SessionSettings SessionSettingsFrom(const Settings& settings, bool verbose, bool pipelining) {
  SessionSettings session;
  session.listDown = settings.listDown;
  session.getLine = settings.getLine;
  session.log = settings.log == 1 || verbose;
  session.pipelining = pipelining;
  return session;
}

CheckEngine::CheckEngine(CheckHost& host, Transport& transport, const Settings& settings,
                         std::vector<std::unique_ptr<Account>> accounts)
    : host_(host),
      transport_(transport),
      settings_(settings),
      accounts_(std::move(accounts)),
      // Until the first check: a session that no connection uses.
      active_(std::make_unique<Pop3MailSession>(host, keeper_)) {
  for (size_t i = 0; i < accounts_.size(); ++i) accounts_[i]->index = static_cast<int>(i);
  updateAccount_.mailbox = kProgramName;
  updateAccount_.enabled = 0;
  updateAccount_.colour = static_cast<int>(kUpdateColour);
  updateAccount_.index = -1;
}

CheckEngine::~CheckEngine() { Stop(); }

void CheckEngine::SetVerbose(bool verbose) { verbose_ = verbose; }

// An open connection keeps the settings it began with; the next one takes those of its time.
std::unique_ptr<MailSession> CheckEngine::MakeSession(const Account& account) {
  if (account.protocol == kProtocolImap) {
    auto imap = std::make_unique<ImapSession>(host_, keeper_);
    imap->SetSettings(ImapSessionSettingsFrom(settings_, verbose_));
    return imap;
  }
  auto pop3 = std::make_unique<Pop3MailSession>(host_, keeper_);
  pop3->SetSettings(SessionSettingsFrom(settings_, verbose_, pipelining_));
  return pop3;
}

void CheckEngine::Start() {
  host_.StartTimer(CheckTimer::kMinute, kMinuteMs);
  if (settings_.startRun != 0) CheckNow();
}

void CheckEngine::Stop() {
  if (activeSocket_ != kNoSocket && activeSocket_ != kResolvingSocket) {
    transport_.CloseConnection(activeSocket_);
  }
  activeSocket_ = kNoSocket;
  // Closed without a LOGOUT: nothing waits for an answer at the end of the run.
  pushes_.clear();
}

Account* CheckEngine::AccountAt(int position) {
  if (position < 0 || position >= static_cast<int>(accounts_.size())) return nullptr;
  return accounts_[position].get();
}

int CheckEngine::PositionOf(const Account* account) const { return PositionIn(accounts_, account); }

std::string CheckEngine::MailboxName(int position) {
  Account* account = AccountAt(position);
  return account ? account->mailbox.value_or("") : std::string();
}

void CheckEngine::OnOutOfMemory() {
  // The message whose parse ran out of memory is not tried again at the cut.
  active_->DiscardPending();
  try {
    if (activeSocket_ != kNoSocket) {
      FailAccount(PositionOf(current_), texts::kOutOfMemory);
    } else {
      // Between two accounts (the merge at the end of a cycle): nothing is open to end.
      errorSeen_ = true;
      ReportCheckError(texts::kOutOfMemory, -1);
    }
  } catch (const std::bad_alloc&) {
    // Not even the report could be made: the connection is ended all the same.
    EndConnectionQuietly();
    current_ = nullptr;
    errorSeen_ = true;
  }
}

void CheckEngine::OnTimer(CheckTimer timer) {
  Guarded([&] {
    switch (timer) {
      case CheckTimer::kMinute:
        MinuteTick();
        break;
      case CheckTimer::kCheckStep:
        Step();
        break;
      case CheckTimer::kServerTimeout:
        ServerTimeout();
        break;
    }
  });
}

void CheckEngine::MinuteTick() {
  bool becameDue = false;
  for (auto& account : accounts_) {
    if (++account->minutesWaited >= account->interval) {
      account->due = true;
      account->minutesWaited = 0;
      becameDue = true;
    }
  }
  // A running cycle takes the accounts that became due.
  if (becameDue && activeSocket_ == kNoSocket && !cycleActive_) StartCheckCycle();
}

void CheckEngine::CheckNow() {
  if (!CanCheckNow()) return;
  for (auto& account : accounts_) {
    account->due = true;
    account->minutesWaited = 0;
  }
  for (auto& push : pushes_) push->Wake(host_.MonotonicMs());
  // Between two accounts of a running cycle the request joins that cycle: starting over would
  // reset its new-mail count and failures, and the mail found so far would never be announced.
  if (!cycleActive_) Guarded([this] { StartCheckCycle(); });
}

void CheckEngine::StartCheckCycle() {
  cycleActive_ = true;
  takenInCycle_.clear();
  cycleNewCount_ = 0;
  active_->ResetNewCount();
  errorSeen_ = false;
  firstErrorName_.reset();
  host_.StartTimer(CheckTimer::kCheckStep, kStepMs);
}

void CheckEngine::Step() {
  if (activeSocket_ != kNoSocket) return;
  for (auto& account : accounts_) account->due = account->due && !IsPushed(*account);
  int count = static_cast<int>(accounts_.size());
  // An account that became due again while the cycle ran waits for the next cycle: a long check
  // must not keep a cycle from ever ending and announcing what it found.
  auto takes = [this](const Account& account) {
    return account.due && !takenInCycle_.count(&account);
  };
  int found = -1;
  for (int i = lastStartedIndex_ + 1; i < count && found < 0; ++i) {
    if (takes(*accounts_[i])) found = i;
  }
  for (int i = 0; i < count && found < 0; ++i) {
    if (takes(*accounts_[i])) found = i;
  }
  lastStartedIndex_ = found >= 0 ? found : count;
  if (found < 0) {
    host_.StopTimer(CheckTimer::kCheckStep);
    cycleActive_ = false;
    FinishCycle(CycleNewCount());
    if (std::any_of(accounts_.begin(), accounts_.end(), [](const auto& a) { return a->due; })) {
      StartCheckCycle();
    }
    return;
  }
  Account& account = *accounts_[found];
  account.due = false;
  takenInCycle_.insert(&account);
  host_.SetTrayFrames(TrayFrames::kReceiving);
  host_.SetToolTip(std::string(texts::kCheckingMail) + account.mailbox.value_or("") + "]");
  host_.StartTrayAnimation(400);
  if (account.enabled != 0 && (account.offlineGuard == 0 || host_.InternetConnected())) {
    StartAccountCheck(found);
  }
}

bool CheckEngine::StartAccountCheck(int position) {
  if (activeSocket_ != kNoSocket) return false;
  Account* account = AccountAt(position);
  if (account == nullptr) return false;
  activeSocket_ = kResolvingSocket;
  if (FullLog()) host_.LogSeparator("recv");
  current_ = account;
  security_ = ReadSecuritySetting(*account);
  if (account->protocol != kProtocolPop3 && account->protocol != kProtocolImap) {
    security_.error = texts::kProtocolInvalid;
  }
  if (!security_.error.empty()) {
    FailAccount(position, security_.error);
    activeSocket_ = kNoSocket;
    return false;
  }
  switch (TakeAccessToken(position, *account)) {
    case TokenStep::kWaiting:
      return true;
    case TokenStep::kFailed:
      return false;
    case TokenStep::kReady:
      break;
  }
  return ContinueAccountCheck(position);
}

bool CheckEngine::ContinueAccountCheck(int position) {
  Account* account = current_;
  const int64_t now = host_.MonotonicMs();
  if (now - account->addressesResolvedMs >= kAddressLifetimeMs) account->cachedAddresses.clear();
  if (account->cachedAddresses.empty()) {
    host_.Log("gethostbyname...");
    ResolveResult resolved = transport_.ResolveHost(account->server.value_or(""));
    account->cachedAddresses = resolved.addresses;
    account->addressesResolvedMs = now;
    if (resolved.addresses.empty()) {
      FailAccount(position, resolved.error);
      activeSocket_ = kNoSocket;
      return false;
    }
  }
  tlsTarget_.host = ServerHostName(account->server.value_or(""));
  tlsTarget_.pin = security_.pin;
  host_.StartTimer(CheckTimer::kServerTimeout, ServerTimeoutMs(settings_.svTimeout));
  cycleNewCount_ += active_->NewCount();
  active_ = MakeSession(*account);
  active_->Begin(*account);
  // What the settings sheet applies meanwhile counts from the next check.
  port_ = account->port;
  addresses_ = account->cachedAddresses;
  addressIndex_ = 0;
  connectionStartMs_ = host_.MonotonicMs();
  return Connect(position);
}

void CheckEngine::AbortAccountCheck(int position) {
  // A message fetched whole before the cut stays, as if it had been parsed at once.
  if (active_->HasPending()) {
    if (current_ != nullptr) {
      active_->CompletePending(*current_);
    } else {
      active_->DiscardPending();
    }
  }
  if (activeSocket_ != kNoSocket && activeSocket_ != kResolvingSocket) {
    transport_.CloseConnection(activeSocket_);
  }
  host_.StopTimer(CheckTimer::kServerTimeout);
  activeSocket_ = kNoSocket;
  errorSeen_ = true;
  if (!firstErrorName_ || firstErrorName_->empty()) firstErrorName_ = MailboxName(position);
  if (cycleActive_) {
    if (settings_.sokigErr == 1 && position >= 0) return;
    host_.StopTimer(CheckTimer::kCheckStep);
    cycleActive_ = false;
    // The accounts not reached wait for the next cycle, which starts counting afresh: what this
    // one fetched is announced now or never.
    FinishCycle(CycleNewCount());
  }
}

void CheckEngine::ReportCheckError(const std::string& text, int position) {
  current_ = nullptr;
  if (FullLog()) host_.Log(text);
  std::string caption = texts::kErrorCaption;
  if (settings_.sokigErr == 1) {
    if (position >= 0) return;
  } else {
    std::string name = position >= 0 ? MailboxName(position) : std::string();
    if (!name.empty()) caption = texts::kErrorCaptionPrefix + name;
  }
  host_.ShowErrorBox(text, caption);
}

void CheckEngine::EndCheckNormally() {
  transport_.CloseConnection(activeSocket_);
  host_.StopTimer(CheckTimer::kServerTimeout);
  activeSocket_ = kNoSocket;
  int position = PositionOf(current_);
  current_ = nullptr;
  host_.AccountCheckEnded(position, nullptr);
}

void CheckEngine::FailAccount(int position, const std::string& text) {
  AbortAccountCheck(position);
  if (Account* account = AccountAt(position)) account->cachedAddresses.clear();
  if (!text.empty()) {
    ReportCheckError(text, position);
  } else {
    current_ = nullptr;
  }
  host_.AccountCheckEnded(position, &text);
}

void CheckEngine::FinishCycle(int newCount) {
  if (newCount > 0) {
    size_t before = displayList_.Size();
    size_t replaced = 0;
    int sum = 0;
    for (auto& account : accounts_) {
      sum += MergeIntoDisplayList(*account, displayList_, keeper_, &replaced);
    }
    sum += MergeIntoDisplayList(updateAccount_, displayList_, keeper_);
    if (sum == 0 && replaced > 0 && host_.ListWindowOpen()) host_.RefreshListWindow(false);
    if (sum != 0) {
      std::vector<const MailItem*> announced;
      for (size_t i = before; i < displayList_.Size(); ++i) {
        const MailItem* item = displayList_.At(i);
        if ((item->flags & (kMailSpam | kMailHidden)) == 0) announced.push_back(item);
      }
      host_.NewMailAnnounced(announced);
      newMail_ = true;
      if (settings_.useSound != 0 && !settings_.soundFile.empty()) {
        host_.PlaySoundFile(settings_.soundFile);
      }
      if (host_.ListWindowOpen()) {
        host_.RefreshListWindow(true);
      } else {
        host_.ShowNewListWindow();
      }
    }
  }
  if (settings_.serverSyn != 0) {
    size_t removed =
        displayList_.RemoveIf([](const MailItem& item) { return (item.flags & kMailGone) != 0; });
    if (removed > 0) {
      if (host_.ListWindowOpen()) host_.RefreshListWindow(false);
      bool anyNew = false;
      for (auto& account : accounts_) anyNew = anyNew || HasNewVisible(*account);
      if (newMail_ && !anyNew) {
        ClearNewFlags(accounts_);
        newMail_ = false;
      }
    }
  }
  if (newMail_) {
    host_.SetTrayFrames(TrayFrames::kNewMail);
    host_.StartTrayAnimation(200);
    host_.SetTrayIcon(TrayIcon::kNormal);
  }
  const std::optional<std::string> failingPush = FailingPushName();
  const bool error = errorSeen_ || failingPush;
  if (error) {
    std::string tip = texts::kReceiveError;
    std::string name = firstErrorName_.value_or("");
    if (name.empty() && failingPush) name = *failingPush;
    tip += name;
    host_.SetToolTip(tip);
    if (newMail_) {
      host_.AddTrayFrame(TrayIcon::kError);
    } else {
      host_.StopTrayAnimation();
    }
    host_.SetTrayIcon(TrayIcon::kError);
  } else {
    host_.SetToolTip(kProgramName);
  }
  if (!newMail_ && !error) {
    host_.StopTrayAnimation();
    host_.SetTrayIcon(TrayIcon::kNormal);
  }
}

void CheckEngine::AcknowledgeNewMail() {
  host_.SetToolTip(kProgramName);
  if (!newMail_) return;
  host_.StopTrayAnimation();
  if (host_.ListWindowOpen()) host_.SetListWindowTopMost(false);
  ClearNewFlags(accounts_);
  newMail_ = false;
}

void CheckEngine::EndConnectionQuietly() {
  active_->DiscardPending();
  active_->Abandon();
  if (activeSocket_ != kNoSocket && activeSocket_ != kResolvingSocket) {
    transport_.CloseConnection(activeSocket_);
  }
  host_.StopTimer(CheckTimer::kServerTimeout);
  activeSocket_ = kNoSocket;
}

void CheckEngine::ApplyAccounts(const std::vector<AccountEdit>& edits) {
  std::vector<const Account*> before;
  for (const auto& account : accounts_) before.push_back(account.get());
  std::vector<std::unique_ptr<Account>> applied;
  for (const AccountEdit& edit : edits) {
    auto kept = std::find_if(accounts_.begin(), accounts_.end(),
                             [&](const auto& a) { return a && a.get() == edit.origin; });
    std::unique_ptr<Account> account =
        kept != accounts_.end() ? std::move(*kept) : std::make_unique<Account>();
    SetFields(*account, edit.fields);
    account->cachedAddresses.clear();
    applied.push_back(std::move(account));
  }
  // The next step looks after the last account started; when that one is gone, after the
  // nearest one before it that stays. The end of a cycle stays the end.
  if (lastStartedIndex_ >= 0 && lastStartedIndex_ < static_cast<int>(before.size())) {
    int mapped = -1;
    for (int i = lastStartedIndex_; i >= 0 && mapped < 0; --i) {
      mapped = PositionIn(applied, before[i]);
    }
    lastStartedIndex_ = mapped;
  } else {
    lastStartedIndex_ = static_cast<int>(applied.size());
  }

  // What is left behind was deleted. Its items stay listed, and the account with them, until
  // ApplySettings: a list window may still show them until then.
  for (auto& account : accounts_) {
    if (!account) continue;
    if (account.get() == current_) {
      EndConnectionQuietly();
      current_ = nullptr;
    }
    retired_.push_back(std::move(account));
  }
  accounts_ = std::move(applied);
  for (size_t i = 0; i < accounts_.size(); ++i) accounts_[i]->index = static_cast<int>(i);
  // Push connections start afresh with the accounts' new settings.
  pushes_.clear();
  std::erase_if(failingPushes_, [&](const Account* account) { return PositionOf(account) < 0; });
  polledInstead_.clear();
}

void CheckEngine::ApplySettings() {
  for (size_t i = 0; i < accounts_.size(); ++i) accounts_[i]->index = static_cast<int>(i);
  auto known = [this](const Account* account) {
    for (auto& a : accounts_) {
      if (a.get() == account) return true;
    }
    return false;
  };
  displayList_.RemoveIf([&](const MailItem& item) { return !known(item.account); });
  // Items of deleted accounts that were never listed go too; the update notice was listed.
  keeper_.ReleaseIf([&](const MailItem& item) { return !known(item.account); });
  updateAccount_.items.clear();
  for (const auto& account : retired_) takenInCycle_.erase(account.get());
  retired_.clear();
  for (const auto& item : displayList_.Items()) host_.RefilterItem(*item);
}

void CheckEngine::SetPipelining(bool on) { pipelining_ = on; }

void CheckEngine::AddUpdateItem(std::unique_ptr<MailItem> item) {
  item->account = &updateAccount_;
  item->mailboxColour = static_cast<uint32_t>(updateAccount_.colour);
  item->flags |= kMailOwnColours;
  Guarded([&] {
    updateAccount_.items.push_back(keeper_.Adopt(std::move(item)));
    FinishCycle(1);
  });
}

}  // namespace postwink
