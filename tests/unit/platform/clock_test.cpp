// The running platform's clock.
#include <gtest/gtest.h>

#include "core/platform/system.h"

namespace postwink {
namespace {

TEST(PlatformClock, GivesAPlausibleLocalTimeAndLocaleText) {
  const Clock& clock = PlatformSystem().clock;
  LocalTime t = clock.Now();
  EXPECT_GE(t.year, 2020);
  EXPECT_TRUE(t.month >= 1 && t.month <= 12);
  EXPECT_TRUE(t.day >= 1 && t.day <= 31);
  EXPECT_TRUE(t.dayOfWeek >= 0 && t.dayOfWeek <= 6);
  EXPECT_TRUE(t.hour >= 0 && t.hour <= 23);
  EXPECT_TRUE(t.millisecond >= 0 && t.millisecond <= 999);
  EXPECT_GT(clock.UnixSeconds(), 1577836800);  // 2020-01-01
  int64_t before = clock.MonotonicMs();
  EXPECT_GE(clock.MonotonicMs(), before);
  // The log separator's date and time: the locale's own spelling, but never empty, and both
  // parts present.
  std::string text = clock.LocaleDateTimeText();
  EXPECT_FALSE(text.empty());
  EXPECT_NE(text.find(' '), std::string::npos) << text;
  EXPECT_NE(text.find(std::to_string(t.year % 100)), std::string::npos) << text;
}

}  // namespace
}  // namespace postwink
