// The clock behind the check engine's time-outs and deadlines.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

#include "core/platform/system.h"

namespace postwink {
namespace {

// It counts the time awake (the unbiased interrupt time), so that a computer put to sleep in the
// middle of a check does not find the check's deadlines passed at resume.
TEST(MonotonicClock, CountsTheTimeAwakeInMilliseconds) {
  const Clock& clock = PlatformSystem().clock;
  ULONGLONG before = 0;
  ASSERT_TRUE(QueryUnbiasedInterruptTime(&before));
  int64_t ms = clock.MonotonicMs();
  ULONGLONG after = 0;
  ASSERT_TRUE(QueryUnbiasedInterruptTime(&after));
  EXPECT_GE(ms, static_cast<int64_t>(before / 10000));
  EXPECT_LE(ms, static_cast<int64_t>(after / 10000));

  // It moves on (at the interrupt time's own granularity, which may be coarse).
  Sleep(50);
  int64_t later = clock.MonotonicMs();
  EXPECT_GT(later, ms);
  EXPECT_LT(later - ms, 5000);
}

}  // namespace
}  // namespace postwink
