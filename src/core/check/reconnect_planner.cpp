#include "core/check/reconnect_planner.h"

namespace postwink {

void ReconnectPlanner::OnWake(int64_t nowMs) {
  waiting_ = true;
  settledAt_ = nowMs + kSettleMs;
  giveUpAt_ = nowMs + kGiveUpMs;
}

ReconnectPlanner::Action ReconnectPlanner::OnPoll(int64_t nowMs, bool networkUp) {
  if (!waiting_ || nowMs < settledAt_) return Action::kNone;
  if (networkUp) {
    waiting_ = false;
    return Action::kCheck;
  }
  if (nowMs >= giveUpAt_) {
    waiting_ = false;
    return Action::kGiveUp;
  }
  return Action::kNone;
}

}  // namespace postwink
