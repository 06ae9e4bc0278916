#include "core/list/list_placement.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

TEST(ListPlacement, ClientSizeFromTheContent) {
  ListContent content;
  content.rowHeight = 17;
  content.headerHeight = 20;
  content.columnsWidth = 703;
  content.scrollBarWidth = 16;
  EXPECT_EQ(ListClientSize(content), (Size{703, 17 + 21}));  // an empty list: one row
  content.rowCount = 4;
  EXPECT_EQ(ListClientSize(content), (Size{703, 4 * 17 + 21}));
  content.previewVisible = true;
  content.previewHeight = 300;
  content.verticalScrollBar = true;
  EXPECT_EQ(ListClientSize(content), (Size{719, 4 * 17 + 21 + 300}));
  content.headerHeight = 0;  // no header: the one pixel stays
  content.previewVisible = false;
  EXPECT_EQ(ListClientSize(content), (Size{719, 4 * 17 + 1}));
  content.horizontalScrollBar = true;
  content.scrollBarHeight = 16;
  EXPECT_EQ(ListClientSize(content), (Size{719, 4 * 17 + 1 + 16}));
}

TEST(ListPlacement, EveryCorner) {
  const Rect work{0, 0, 1024, 738};
  const Size size{400, 200};
  struct Case {
    int dispPos;
    Rect expected;
  };
  const Case cases[] = {
      {0, {0, 0, 400, 200}},
      {1, {624, 0, 1024, 200}},
      {2, {0, 538, 400, 738}},
      {3, {624, 538, 1024, 738}},
      {7, {0, 0, 400, 200}},  // no corner: where the size computation
                              // put it
      {-1, {0, 0, 400, 200}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PlaceListWindow(c.dispPos, size, work), c.expected) << c.dispPos;
}

TEST(ListPlacement, LargerThanTheWorkArea) {
  const Size huge{1500, 1000};
  struct Case {
    Rect work;
    int dispPos;
    Rect expected;
  };
  const Case cases[] = {
      // At the origin: top and left 0, cut at the far edges.
      {{0, 0, 1024, 738}, 0, {0, 0, 1024, 738}},
      {{0, 0, 1024, 738}, 1, {0, 0, 1024, 738}},
      {{0, 0, 1024, 738}, 2, {0, 0, 1024, 738}},
      {{0, 0, 1024, 738}, 3, {0, 0, 1024, 738}},
      // A task bar along the top: the window stays below it.
      {{0, 40, 1024, 768}, 3, {0, 40, 1024, 768}},
      // The task bar's monitor left of the primary one: the window stays on that monitor.
      {{-1280, 0, 0, 984}, 3, {-1280, 0, 0, 984}},
      {{-1280, 0, 0, 984}, 1, {-1280, 0, 0, 984}},
      // Only taller: the horizontal placement is kept.
      {{0, 0, 1920, 600}, 2, {0, 0, 1500, 600}},
      {{0, 0, 1920, 600}, 1, {420, 0, 1920, 600}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PlaceListWindow(c.dispPos, huge, c.work), c.expected)
        << c.dispPos << " in " << c.work.left << "," << c.work.top;
  }
}

TEST(ListPlacement, EffectFlagsForEveryCombination) {
  constexpr uint32_t S = kAnimateSlide, B = kAnimateBlend, HP = kAnimateHorPositive,
                     HN = kAnimateHorNegative, VP = kAnimateVerPositive, VN = kAnimateVerNegative,
                     H = kAnimateHide;
  struct Case {
    int style;
    int pos;
    uint32_t show;
    uint32_t hide;
  };
  const Case cases[] = {
      // Slide, horizontal: out of the left edge for the left corners.
      {0, 0, S | HP, S | HN | H},
      {0, 1, S | HN, S | HP | H},
      {0, 2, S | HP, S | HN | H},
      {0, 3, S | HN, S | HP | H},
      // Roll, horizontal.
      {1, 0, HP, HN | H},
      {1, 1, HN, HP | H},
      {1, 2, HP, HN | H},
      {1, 3, HN, HP | H},
      // Slide, vertical (the default 4): down from the top corners, up from the bottom ones.
      {4, 0, S | VP, S | VN | H},
      {4, 1, S | VP, S | VN | H},
      {4, 2, S | VN, S | VP | H},
      {4, 3, S | VN, S | VP | H},
      // Roll, vertical.
      {5, 0, VP, VN | H},
      {5, 1, VP, VN | H},
      {5, 2, VN, VP | H},
      {5, 3, VN, VP | H},
      // Fade, whatever the direction and the other bit.
      {2, 0, B, B | H},
      {2, 3, B, B | H},
      {6, 1, B, B | H},
      {7, 2, B, B | H},
      {3, 3, B, B | H},
      // Another corner value counts as the bottom right.
      {4, 9, S | VN, S | VP | H},
      {0, 9, S | HN, S | HP | H},
  };
  for (const Case& c : cases) {
    for (bool activate : {false, true}) {
      ListEffects e = ListEffectFlags(c.style, c.pos, activate);
      EXPECT_EQ(e.show, c.show | (activate ? kAnimateActivate : 0u))
          << "style " << c.style << " pos " << c.pos << " activate " << activate;
      EXPECT_EQ(e.hide, c.hide) << "style " << c.style << " pos " << c.pos;
    }
  }
}

TEST(ListPlacement, AutoHideBarCutsTheWorkArea) {
  const Rect work{0, 0, 1920, 1080};
  EXPECT_EQ(CutByAutoHideBar(work, TaskbarEdge::kBottom, {0, 1078, 1920, 1120}),
            (Rect{0, 0, 1920, 1078}));
  EXPECT_EQ(CutByAutoHideBar(work, TaskbarEdge::kTop, {0, -38, 1920, 2}), (Rect{0, 2, 1920, 1080}));
  EXPECT_EQ(CutByAutoHideBar(work, TaskbarEdge::kLeft, {-60, 0, 2, 1080}),
            (Rect{2, 0, 1920, 1080}));
  EXPECT_EQ(CutByAutoHideBar(work, TaskbarEdge::kRight, {1918, 0, 1980, 1080}),
            (Rect{0, 0, 1918, 1080}));
  // A bar that lies outside the area cuts nothing.
  EXPECT_EQ(CutByAutoHideBar(work, TaskbarEdge::kBottom, {0, 1200, 1920, 1240}), work);
}

}  // namespace
}  // namespace postwink
