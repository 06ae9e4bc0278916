#include "core/ui/tooltip_relay.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

using enum TooltipAction;
using Actions = TooltipRelay::Actions;

TEST(TooltipRelay, ShowsAfterRestingAndStaysAwayUntilTheMouseLeavesTheTool) {
  TooltipRelay r;
  EXPECT_EQ(r.MouseMove({10, 10}, 0, true), (Actions{kHide, kStartShowTimer}));
  EXPECT_EQ(r.ShowTimerFired({10, 10}, 0), (Actions{kShow}));
  EXPECT_EQ(r.ShownTool(), 0);
  // Moving over the shown tool hides the tip and it does not come back there.
  EXPECT_EQ(r.MouseMove({11, 10}, 0, true), (Actions{kHide}));
  EXPECT_EQ(r.MouseMove({12, 10}, 0, true), (Actions{kHide}));
  EXPECT_EQ(r.ShowTimerFired({12, 10}, 0), (Actions{kHide}));
  // Another tool restarts the delay; no tool forgets the shown one.
  EXPECT_EQ(r.MouseMove({50, 10}, 1, true), (Actions{kHide, kStartShowTimer}));
  EXPECT_EQ(r.MouseMove({90, 90}, std::nullopt, true), (Actions{kHide}));
  EXPECT_EQ(r.ShownTool(), std::nullopt);
  EXPECT_EQ(r.MouseMove({12, 10}, 0, true), (Actions{kHide, kStartShowTimer}));
  EXPECT_EQ(r.ShowTimerFired({12, 10}, 0), (Actions{kShow}));
  EXPECT_EQ(r.HideTimerFired(), (Actions{kHide}));
  EXPECT_EQ(r.MouseMove({13, 10}, 0, true), (Actions{kHide}));
}

TEST(TooltipRelay, IgnoresUnchangedPositionsAndAnInactiveApplication) {
  TooltipRelay r;
  EXPECT_EQ(r.MouseMove({10, 10}, 0, false), Actions{});
  EXPECT_EQ(r.MouseMove({10, 10}, 0, true), (Actions{kHide, kStartShowTimer}));
  EXPECT_EQ(r.MouseMove({10, 10}, 0, true), Actions{});
  EXPECT_EQ(r.PendingTool(), 0);
}

TEST(TooltipRelay, TheDelayShowsNothingWhenTheMouseMovedOnOrAKeyWasPressed) {
  TooltipRelay r;
  r.MouseMove({10, 10}, 0, true);
  EXPECT_EQ(r.ShowTimerFired({15, 10}, 0), (Actions{kHide}));  // moved, no move seen yet
  r.MouseMove({20, 10}, 0, true);
  EXPECT_EQ(r.ShowTimerFired({20, 10}, 1), (Actions{kHide}));  // another tool there now
  r.MouseMove({21, 10}, 0, true);
  EXPECT_EQ(r.Press(), (Actions{kHide}));
  EXPECT_EQ(r.ShowTimerFired({21, 10}, 0), (Actions{kHide}));
  EXPECT_EQ(r.ShownTool(), std::nullopt);
}

}  // namespace
}  // namespace postwink
