#include "core/check/reconnect_planner.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

using Action = ReconnectPlanner::Action;
constexpr int64_t kSettle = ReconnectPlanner::kSettleMs;
constexpr int64_t kGiveUp = ReconnectPlanner::kGiveUpMs;

TEST(ReconnectPlanner, NothingWithoutAWake) {
  ReconnectPlanner planner;
  EXPECT_EQ(planner.OnPoll(0, true), Action::kNone);
  EXPECT_EQ(planner.OnPoll(kGiveUp * 2, false), Action::kNone);
}

TEST(ReconnectPlanner, OneCheckOnceABurstHasSettledAndTheNetworkIsUp) {
  ReconnectPlanner planner;
  planner.OnWake(1000);
  planner.OnWake(1500);  // a second notice of the same change
  EXPECT_EQ(planner.OnPoll(1000 + kSettle, true), Action::kNone);
  // Down for a while after settling: no check, no failure, still waiting.
  EXPECT_EQ(planner.OnPoll(1500 + kSettle, false), Action::kNone);
  EXPECT_EQ(planner.OnPoll(30000, false), Action::kNone);
  EXPECT_TRUE(planner.Waiting());
  EXPECT_EQ(planner.OnPoll(31000, true), Action::kCheck);
  EXPECT_FALSE(planner.Waiting());
  EXPECT_EQ(planner.OnPoll(32000, true), Action::kNone);
}

TEST(ReconnectPlanner, TheWaitIsBoundedFromTheLastNotice) {
  ReconnectPlanner planner;
  planner.OnWake(0);
  EXPECT_EQ(planner.OnPoll(kGiveUp - 1, false), Action::kNone);
  planner.OnWake(kGiveUp - 1);  // the network changed again: a fresh wait
  EXPECT_EQ(planner.OnPoll(kGiveUp, false), Action::kNone);
  EXPECT_EQ(planner.OnPoll(2 * kGiveUp - 1, false), Action::kGiveUp);
  EXPECT_FALSE(planner.Waiting());
  EXPECT_EQ(planner.OnPoll(2 * kGiveUp, true), Action::kNone);
}

}  // namespace
}  // namespace postwink
