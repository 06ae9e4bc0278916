#include "core/ui/report_geometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace postwink {
namespace {

TEST(ReportGeometry, RowHeight) {
  EXPECT_EQ(ReportRowHeight(12, false, 16), 17);  // the image decides
  EXPECT_EQ(ReportRowHeight(16, false, 16), 18);
  EXPECT_EQ(ReportRowHeight(16, true, 16), 19);
  EXPECT_EQ(ReportRowHeight(12, true, 0), 15);
}

ReportModel ThreeColumns(int rows) {
  ReportModel model;
  for (int c = 0; c < 3; ++c) {
    ReportColumn column;
    column.width = 100;
    model.DefineColumn(c, column);
  }
  // Shown in the order 2, 0; column 1 hidden.
  model.ActivateColumn(2, 0);
  model.ActivateColumn(0, 1);
  for (int r = 0; r < rows; ++r) model.InsertRow(r, ReportRow{});
  return model;
}

TEST(ReportGeometry, HitTestAndCellRects) {
  ReportModel model = ThreeColumns(50);
  ReportView view{20, 18, 10, 30, {150, 200}};
  struct Case {
    Point p;
    int row;
    int column;
    bool header;
  };
  const Case cases[] = {
      {{0, 5}, -1, 2, true},    // the header over column 2 (scrolled by 30)
      {{75, 5}, -1, 0, true},   // the second shown column starts at 100 - 30
      {{5, 20}, 10, 2, false},  // the first row in view
      {{5, 37}, 10, 2, false},   {{5, 38}, 11, 2, false},    {{149, 199}, 19, 0, false},
      {{-1, 50}, -1, -1, false}, {{150, 50}, -1, -1, false},
  };
  for (const Case& c : cases) {
    ReportHit hit = HitTest(model, view, c.p);
    EXPECT_EQ(hit.row, c.row) << c.p.x << "," << c.p.y;
    EXPECT_EQ(hit.column, c.column) << c.p.x << "," << c.p.y;
    EXPECT_EQ(hit.onHeader, c.header) << c.p.x << "," << c.p.y;
  }
  EXPECT_EQ(CellRect(model, view, 11, 0), (Rect{70, 38, 170, 56}));
  EXPECT_EQ(CellRect(model, view, 11, 1), std::nullopt);  // not shown
  EXPECT_EQ(CellRect(model, view, 50, 0), std::nullopt);
  // Past the last row, and beyond the last column.
  ReportModel few = ThreeColumns(2);
  ReportView plain{0, 10, 0, 0, {400, 100}};
  EXPECT_EQ(HitTest(few, plain, {10, 25}).row, -1);
  EXPECT_EQ(HitTest(few, plain, {250, 5}).column, -1);
  EXPECT_EQ(HitTest(few, plain, {250, 5}).row, 0);
}

TEST(ReportGeometry, RowsInViewAndScrollingToARow) {
  ReportView view{20, 10, 0, 0, {100, 75}};  // 5.5 rows of space
  EXPECT_EQ(PageRows(view), 5);
  EXPECT_EQ(VisibleRows(view, 100).first, 0);
  EXPECT_EQ(VisibleRows(view, 100).end, 6);  // the half row is drawn
  EXPECT_EQ(VisibleRows(view, 3).end, 3);
  EXPECT_EQ(MaxTopRow(view, 100), 95);
  EXPECT_EQ(MaxTopRow(view, 3), 0);
  view.topRow = 10;
  EXPECT_EQ(TopRowShowing(view, 100, 12), 10);  // already in view
  EXPECT_EQ(TopRowShowing(view, 100, 4), 4);    // above: to the top
  EXPECT_EQ(TopRowShowing(view, 100, 20), 16);  // below: to the bottom
  EXPECT_EQ(TopRowShowing(view, 100, 99), 95);
  ReportView tiny{20, 10, 0, 0, {100, 15}};
  EXPECT_EQ(PageRows(tiny), 1);
}

TEST(ReportGeometry, CellTips) {
  EXPECT_FALSE(CellNeedsTip({80, 14}, {80, 17}));
  EXPECT_TRUE(CellNeedsTip({81, 14}, {80, 17}));
  EXPECT_TRUE(CellNeedsTip({20, 18}, {80, 17}));
  const Rect work{0, 0, 1024, 738};
  EXPECT_EQ(PlaceCellTip({100, 50, 300, 67}, {400, 19}, work), (Rect{100, 50, 500, 69}));
  // Past the right edge: moved left so that it ends there.
  EXPECT_EQ(PlaceCellTip({800, 50, 1000, 67}, {400, 19}, work), (Rect{624, 50, 1024, 69}));
  // Wider than the work area: it starts at the left edge.
  EXPECT_EQ(PlaceCellTip({800, 50, 1000, 67}, {1200, 19}, work), (Rect{0, 50, 1200, 69}));
}

TEST(ReportGeometry, Wheel) {
  struct Case {
    const char* setting;
    int step;
  };
  const Case steps[] = {{"3", 3}, {"5", 5}, {" 1 ", 1}, {"-1", -1},  {"4294967295", -1},
                        {"x", 3}, {"", 3},  {"0", 0},   {"12345", 3}};
  for (const Case& c : steps) EXPECT_EQ(WheelStepFromSetting(c.setting), c.step) << c.setting;
  EXPECT_EQ(WheelStepFromSetting(std::nullopt), 3);
}

TEST(ReportGeometry, WheelCarriesWhatANotchFractionLeaves) {
  struct Case {
    const char* what;
    int step;
    std::vector<int> deltas;
    std::vector<WheelScroll> scrolls;  // after each delta
  } cases[] = {
      {"a notch forward: up", 3, {120}, {{-3, 0}}},
      {"five lines a notch", 5, {-120}, {{5, 0}}},
      {"two notches at once", 3, {-240}, {{6, 0}}},
      {"a third of a notch: one line", 3, {40}, {{-1, 0}}},
      {"a touchpad's small deltas add up",
       3,
       {-10, -10, -10, -10, -10},
       {{0, 0}, {0, 0}, {0, 0}, {1, 0}, {0, 0}}},
      {"a fraction is kept, not lost", 1, {-100, -100, -100}, {{0, 0}, {1, 0}, {1, 0}}},
      {"a turn the other way starts afresh", 1, {-100, 30, 90}, {{0, 0}, {0, 0}, {-1, 0}}},
      {"pages", -1, {120, -360}, {{0, -1}, {0, 3}}},
      {"pages from small deltas", -1, {-60, -59, -1}, {{0, 0}, {0, 0}, {0, 1}}},
      {"no step: nothing", 0, {-120, -120}, {{0, 0}, {0, 0}}},
  };
  for (const Case& c : cases) {
    WheelAccumulator wheel;
    for (size_t i = 0; i < c.deltas.size(); ++i) {
      WheelScroll got = wheel.Add(c.deltas[i], c.step);
      EXPECT_EQ(got.lines, c.scrolls[i].lines) << c.what << " #" << i;
      EXPECT_EQ(got.pages, c.scrolls[i].pages) << c.what << " #" << i;
    }
  }
  // A new step (the user changed it) does not scale what was left of the old one.
  WheelAccumulator wheel;
  wheel.Add(-90, 1);
  EXPECT_EQ(wheel.Add(-60, -1).pages, 0);
}

}  // namespace
}  // namespace postwink
