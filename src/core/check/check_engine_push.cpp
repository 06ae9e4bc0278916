// The engine's push connections: IMAP accounts with PUSH=1 wait with IDLE, each on a connection
// and a transport of their own beside the cycle, which leaves them out. What they bring is merged
// and announced as the end of a cycle announces a check's mail. They take their access tokens
// from the engine's provider, as the cycle does.
#include <algorithm>
#include <utility>

#include "core/check/check_engine.h"

namespace postwink {

void CheckEngine::EnablePush(std::function<std::unique_ptr<Transport>()> makeTransport) {
  makeTransport_ = std::move(makeTransport);
}

bool CheckEngine::IsPushed(const Account& account) const {
  return makeTransport_ && account.protocol == kProtocolImap && account.push == 1 &&
         account.enabled != 0 &&
         std::find(polledInstead_.begin(), polledInstead_.end(), &account) == polledInstead_.end();
}

std::vector<PushConnection*> CheckEngine::PushConnections() {
  std::vector<PushConnection*> out;
  for (auto& push : pushes_) out.push_back(push.get());
  return out;
}

void CheckEngine::PushTick() {
  Guarded([&] {
    std::erase_if(pushes_, [&](const auto& push) {
      return PositionOf(&push->GetAccount()) < 0 || !IsPushed(push->GetAccount());
    });
    // An account no longer pushed (or gone) says nothing of its old connection's failures.
    std::erase_if(failingPushes_, [&](const Account* account) {
      return PositionOf(account) < 0 || !IsPushed(*account);
    });
    for (auto& account : accounts_) {
      const bool open = std::any_of(pushes_.begin(), pushes_.end(), [&](const auto& push) {
        return &push->GetAccount() == account.get();
      });
      if (open || !IsPushed(*account)) continue;
      pushes_.push_back(std::make_unique<PushConnection>(
          host_, keeper_, makeTransport_(), *account, ImapSessionSettingsFrom(settings_, verbose_),
          ServerTimeoutMs(settings_.svTimeout), *this, tokens_));
    }
    const int64_t now = host_.MonotonicMs();
    for (auto& push : pushes_) push->Tick(now);
  });
}

void CheckEngine::RestartPushes() { pushes_.clear(); }

void CheckEngine::OnPushItems(Account&) {
  // During a cycle its end announces them with the rest.
  if (!cycleActive_) FinishCycle(1);
}

void CheckEngine::OnPushFailed(Account& account, const std::string& error) {
  host_.AccountCheckEnded(PositionOf(&account), &error);
  if (std::find(failingPushes_.begin(), failingPushes_.end(), &account) == failingPushes_.end()) {
    failingPushes_.push_back(&account);
  }
  if (!cycleActive_) FinishCycle(0);
}

void CheckEngine::OnPushIdling(Account& account) {
  const bool wasFailing = std::erase(failingPushes_, &account) > 0;
  if (wasFailing && !cycleActive_) FinishCycle(0);
}

std::optional<std::string> CheckEngine::FailingPushName() const {
  if (failingPushes_.empty()) return std::nullopt;
  return failingPushes_.front()->mailbox.value_or("");
}

void CheckEngine::OnPushSignInNeeded(Account& account) { host_.SignInNeeded(PositionOf(&account)); }

void CheckEngine::OnPushUnavailable(Account& account) {
  // Its connection goes at the next tick, not inside its own event.
  polledInstead_.push_back(&account);
}

}  // namespace postwink
