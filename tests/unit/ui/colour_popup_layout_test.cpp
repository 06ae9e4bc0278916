#include "core/ui/colour_popup_layout.h"

#include <gtest/gtest.h>

#include <tuple>

namespace postwink {
namespace {

constexpr Rect kScreen{0, 0, 1024, 768};
constexpr Size kAuto{50, 13};
constexpr Size kCustom{70, 13};

TEST(ColourPopupLayout, CellSizeFollowsTheEdgeWidth) {
  const std::pair<int, int> cases[] = {{1, 18}, {2, 18}, {5, 18}, {6, 19}, {8, 23}};
  for (auto [edge, cell] : cases) {
    const ColourPopupLayout l =
        LayoutColourPopup(edge, std::nullopt, std::nullopt, {100, 100, 160, 120}, kScreen);
    EXPECT_EQ(l.cell, cell) << edge;
    EXPECT_EQ(l.window.Width(), 2 * edge + 8 * cell) << edge;
    EXPECT_EQ(l.window.Height(), 2 * edge + 5 * cell) << edge;
  }
  // On a scaled monitor the cells grow with it; the edge is the monitor's own.
  const std::tuple<int, int, int> scaled[] = {{120, 2, 23}, {144, 3, 27}, {192, 4, 36}};
  for (auto [dpi, edge, cell] : scaled) {
    const ColourPopupLayout l =
        LayoutColourPopup(edge, std::nullopt, std::nullopt, {100, 100, 160, 120}, kScreen, dpi);
    EXPECT_EQ(l.cell, cell) << dpi;
    EXPECT_EQ(l.window.Width(), 2 * edge + 8 * cell) << dpi;
  }
}

TEST(ColourPopupLayout, TextRowsAboveAndBelowTheGrid) {
  const ColourPopupLayout l = LayoutColourPopup(2, kAuto, kCustom, {100, 100, 160, 120}, kScreen);
  // Rows are 13 + 4 * 2 + 2 = 23 high, each adds its height plus 2e.
  EXPECT_EQ(l.window, (Rect{100, 120, 248, 268}));
  EXPECT_EQ(l.automaticRow, (Rect{2, 2, 146, 25}));
  EXPECT_EQ(l.grid, (Rect{2, 29, 146, 119}));
  EXPECT_EQ(l.customRow, (Rect{2, 123, 146, 146}));
  EXPECT_EQ(l.CellRect(9), (Rect{20, 47, 38, 65}));

  const std::pair<Point, ColourEntry> hits[] = {
      {{10, 10}, ColourEntry::Automatic()}, {{2, 29}, ColourEntry::Cell(0)},
      {{145, 118}, ColourEntry::Cell(39)},  {{21, 48}, ColourEntry::Cell(9)},
      {{100, 130}, ColourEntry::Custom()},  {{0, 0}, ColourEntry::None()},
      {{50, 27}, ColourEntry::None()},  // between a row and the grid
  };
  for (auto [p, entry] : hits) EXPECT_EQ(l.HitTest(p), entry) << p.x << "," << p.y;
}

TEST(ColourPopupLayout, WideTextWidensTheWindowAndOnlyPresentRowsCount) {
  const ColourPopupLayout l =
      LayoutColourPopup(2, std::nullopt, Size{200, 20}, {0, 0, 10, 10}, kScreen);
  EXPECT_FALSE(l.automaticRow);
  EXPECT_EQ(l.window.Width(), 204);
  EXPECT_EQ(l.grid, (Rect{30, 2, 174, 92}));  // centred in the wider window
  EXPECT_EQ(l.customRow, (Rect{2, 96, 202, 126}));
  EXPECT_EQ(l.window.Height(), 128);
}

TEST(ColourPopupLayout, StaysOnTheScreen) {
  struct Case {
    Rect button;
    Point topLeft;
  } cases[] = {
      {{100, 100, 160, 120}, {100, 120}},
      {{1000, 100, 1020, 120}, {1024 - 148, 120}},  // past the right edge: moved left
      {{-30, 100, 20, 120}, {0, 120}},              // negative left edge: moved right
      {{100, 700, 160, 720}, {100, 700 - 148}},     // near the bottom: above the button
      {{1000, 700, 1020, 720}, {1024 - 148, 700 - 148}},
  };
  for (const Case& c : cases) {
    const ColourPopupLayout l = LayoutColourPopup(2, kAuto, kCustom, c.button, kScreen);
    EXPECT_EQ((Point{l.window.left, l.window.top}), c.topLeft) << c.button.left;
  }
}

TEST(ColourPopupLayout, StaysOnTheButtonsMonitor) {
  constexpr Rect kLeftMonitor{-1280, 0, 0, 1024};
  constexpr Rect kRightMonitor{1024, 0, 2048, 768};
  constexpr Rect kTaskBarBelow{0, 0, 1024, 728};
  struct Case {
    Rect area;
    Rect button;
    Point topLeft;
  } cases[] = {
      {kLeftMonitor, {-200, 100, -180, 120}, {-200, 120}},
      {kLeftMonitor, {-30, 100, -10, 120}, {-148, 120}},  // at its right edge: moved left
      {kLeftMonitor, {-1290, 100, -1270, 120}, {-1280, 120}},
      {kRightMonitor, {1100, 100, 1120, 120}, {1100, 120}},
      {kRightMonitor, {2040, 700, 2047, 720}, {2048 - 148, 700 - 148}},
      {kTaskBarBelow, {100, 600, 160, 620}, {100, 600 - 148}},  // not over the task bar
  };
  for (const Case& c : cases) {
    const ColourPopupLayout l = LayoutColourPopup(2, kAuto, kCustom, c.button, c.area);
    EXPECT_EQ((Point{l.window.left, l.window.top}), c.topLeft) << c.button.left;
  }
}

}  // namespace
}  // namespace postwink
