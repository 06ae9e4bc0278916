#pragma once
// After the machine wakes from sleep or its network changes, the accounts are checked again as
// soon as the network is usable: once, after the burst of change notices has settled, and only
// while a bounded wait lasts, so that a network that stays down costs no string of failures.

#include <cstdint>

namespace postwink {

class ReconnectPlanner {
 public:
  // Address changes come several at a time while an adapter comes up.
  static constexpr int64_t kSettleMs = 2000;
  // A network not usable within this time after the last notice is left to the minute timer.
  static constexpr int64_t kGiveUpMs = 120000;

  enum class Action { kNone, kCheck, kGiveUp };

  // Resume from sleep, or the machine's addresses changed.
  void OnWake(int64_t nowMs);
  // Asked now and then while waiting; networkUp is the system's word on connectivity.
  Action OnPoll(int64_t nowMs, bool networkUp);
  bool Waiting() const { return waiting_; }

 private:
  bool waiting_ = false;
  int64_t settledAt_ = 0;
  int64_t giveUpAt_ = 0;
};

}  // namespace postwink
