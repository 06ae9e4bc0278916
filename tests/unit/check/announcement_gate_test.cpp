#include "core/check/announcement_gate.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

TEST(AnnouncementGate, ShellAnswersAndTheirEffect) {
  struct Case {
    bool queried;
    int value;
    UserAttention attention;
    bool withholds;
  } cases[] = {
      {true, 1, UserAttention::kAway, true},
      {true, 2, UserAttention::kBusy, true},
      {true, 3, UserAttention::kFullScreenD3D, true},
      {true, 4, UserAttention::kPresenting, true},
      {true, 5, UserAttention::kAvailable, false},
      {true, 6, UserAttention::kQuietTime, true},
      {true, 7, UserAttention::kStoreApp, true},
      // Unknown or failed: never withhold mail for ever.
      {true, 0, UserAttention::kAvailable, false},
      {true, 8, UserAttention::kAvailable, false},
      {true, -1, UserAttention::kAvailable, false},
      {false, 2, UserAttention::kAvailable, false},
  };
  for (const Case& c : cases) {
    UserAttention a = UserAttentionFromShell(c.queried, c.value);
    EXPECT_EQ(a, c.attention) << c.value;
    EXPECT_EQ(WithholdsAnnouncements(a), c.withholds) << c.value;
  }
}

TEST(AnnouncementGate, HeldWhileBusyAndReleasedOnceWhenAvailable) {
  AnnouncementGate gate;
  EXPECT_TRUE(gate.Admit(UserAttention::kAvailable));
  EXPECT_FALSE(gate.Holding());
  EXPECT_FALSE(gate.Admit(UserAttention::kPresenting));
  EXPECT_TRUE(gate.Holding());
  // A second announcement in the same state is held with the first.
  EXPECT_FALSE(gate.Admit(UserAttention::kQuietTime));
  EXPECT_FALSE(gate.Release(UserAttention::kFullScreenD3D));
  EXPECT_TRUE(gate.Holding());
  EXPECT_TRUE(gate.Release(UserAttention::kAvailable));
  EXPECT_FALSE(gate.Holding());
  EXPECT_FALSE(gate.Release(UserAttention::kAvailable));
}

TEST(AnnouncementGate, AClickTakesTheHeldListAndAnAcknowledgementDropsIt) {
  AnnouncementGate gate;
  EXPECT_FALSE(gate.TakeOnClick());
  gate.Admit(UserAttention::kBusy);
  EXPECT_TRUE(gate.TakeOnClick());
  EXPECT_FALSE(gate.TakeOnClick());
  gate.Admit(UserAttention::kBusy);
  gate.Drop();
  EXPECT_FALSE(gate.Release(UserAttention::kAvailable));
}

}  // namespace
}  // namespace postwink
