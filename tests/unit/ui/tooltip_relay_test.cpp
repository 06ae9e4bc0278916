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

TEST(TooltipRelay, TheToolUnderAPointIsTheSmallestThatHoldsIt) {
  // A group box (0) around a field (1) and a check box (2); a tool that cannot be hit (3).
  const std::vector<std::optional<Rect>> areas = {Rect{0, 0, 200, 100}, Rect{10, 10, 100, 30},
                                                  Rect{10, 40, 100, 60}, std::nullopt};
  struct Case {
    Point point;
    std::optional<int> tool;
  } cases[] = {
      {{50, 20}, 1},
      {{50, 50}, 2},
      {{150, 80}, 0},
      {{10, 10}, 1},
      {{100, 30}, 0},  // right and bottom edges are outside
      {{250, 50}, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToolUnder(areas, c.point), c.tool) << c.point.x << "," << c.point.y;
  }
  // Equal areas: the first added.
  EXPECT_EQ(ToolUnder({Rect{0, 0, 10, 10}, Rect{0, 0, 10, 10}}, {5, 5}), 0);
  EXPECT_EQ(ToolUnder({}, {5, 5}), std::nullopt);
}

}  // namespace
}  // namespace postwink
