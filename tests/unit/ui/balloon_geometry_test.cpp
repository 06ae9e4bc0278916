#include "core/ui/balloon_geometry.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

constexpr Rect kScreen{0, 0, 1024, 768};
constexpr Size kText{100, 40};  // a window of 128 x 84 with margins, pointer and shadow

TEST(BalloonGeometry, SizeIsTextPlusMarginsPointerAndShadow) {
  EXPECT_EQ(BalloonSize(BalloonStyle::Balloon(), kText), (Size{128, 84}));
  EXPECT_EQ(BalloonSize(BalloonStyle::Plain(), kText), (Size{106, 42}));
  // At 150 % the text measures half as much again, and so does everything around it.
  EXPECT_EQ(BalloonSize(BalloonStyle::Balloon().Scaled(144), {150, 60}), (Size{192, 126}));
  EXPECT_EQ(BalloonSize(BalloonStyle::Plain().Scaled(144), {150, 60}), (Size{160, 64}));
  EXPECT_EQ(BalloonStyle::Balloon().Scaled(192).corner, (Size{32, 32}));
}

TEST(BalloonGeometry, PlacesAndFlipsAtTheScreenEdges) {
  using enum BalloonPlacement;
  struct Case {
    BalloonPlacement wanted;
    Point mouse;
    BalloonPlacement placement;
    Rect window;
  } cases[] = {
      {kAboveRight, {500, 400}, kAboveRight, {484, 316, 612, 400}},
      {kBelowRight, {500, 400}, kBelowRight, {484, 400, 612, 484}},
      // Extending to the left: ends at x + 16, then moved by the shadow offsets.
      {kAboveLeft, {500, 400}, kAboveLeft, {392, 320, 520, 404}},
      {kBelowLeft, {500, 400}, kBelowLeft, {392, 404, 520, 488}},
      // Close to the left edge a right-extending box starts at 0.
      {kAboveRight, {5, 400}, kAboveRight, {0, 316, 128, 400}},
      // Off the right edge: extends to the left instead.
      {kAboveRight, {1000, 400}, kAboveLeft, {892, 320, 1020, 404}},
      // The left-extending box stops at the screen's right edge before the shadow move.
      {kAboveLeft, {1020, 400}, kAboveLeft, {900, 320, 1028, 404}},
      // Off the left edge: extends to the right instead.
      {kAboveLeft, {50, 400}, kAboveRight, {34, 316, 162, 400}},
      // Off the top: below; off the bottom: above.
      {kAboveRight, {500, 30}, kBelowRight, {484, 30, 612, 114}},
      {kBelowRight, {500, 750}, kAboveRight, {484, 666, 612, 750}},
      // A corner flips both ways.
      {kAboveLeft, {10, 10}, kBelowRight, {0, 10, 128, 94}},
      {kBelowLeft, {1020, 760}, kAboveLeft, {900, 680, 1028, 764}},
  };
  for (const Case& c : cases) {
    const BalloonLayout b =
        PlaceBalloon(BalloonStyle::Balloon(), kText, c.mouse, kScreen, c.wanted);
    EXPECT_EQ(b.placement, c.placement) << c.mouse.x << "," << c.mouse.y;
    EXPECT_EQ(b.window, c.window) << c.mouse.x << "," << c.mouse.y;
  }
}

TEST(BalloonGeometry, StaysOnTheMouseMonitorsWorkArea) {
  using enum BalloonPlacement;
  constexpr Rect kLeftMonitor{-1280, 0, 0, 1024};
  constexpr Rect kTaskBarAbove{0, 40, 1024, 768};
  struct Case {
    Rect area;
    BalloonPlacement wanted;
    Point mouse;
    BalloonPlacement placement;
    Rect window;
  } cases[] = {
      {kLeftMonitor, kAboveRight, {-600, 400}, kAboveRight, {-616, 316, -488, 400}},
      {kLeftMonitor, kAboveRight, {-1275, 400}, kAboveRight, {-1280, 316, -1152, 400}},
      {kLeftMonitor, kAboveRight, {-5, 400}, kAboveLeft, {-124, 320, 4, 404}},
      {kLeftMonitor, kBelowRight, {-600, 1000}, kAboveRight, {-616, 916, -488, 1000}},
      {kTaskBarAbove, kAboveRight, {500, 100}, kBelowRight, {484, 100, 612, 184}},
  };
  for (const Case& c : cases) {
    const BalloonLayout b = PlaceBalloon(BalloonStyle::Balloon(), kText, c.mouse, c.area, c.wanted);
    EXPECT_EQ(b.placement, c.placement) << c.mouse.x << "," << c.mouse.y;
    EXPECT_EQ(b.window, c.window) << c.mouse.x << "," << c.mouse.y;
  }
}

TEST(BalloonGeometry, PointerSitsOnTheSideFacingTheMouse) {
  using enum BalloonPlacement;
  struct Case {
    BalloonPlacement wanted;
    Rect body;
    int baseX;
    int baseY;
  } cases[] = {
      {kAboveRight, {0, 0, 124, 64}, 16, 63},   // base on the bottom, 16 from the left
      {kBelowRight, {0, 16, 124, 80}, 16, 16},  // base on the top
      {kAboveLeft, {0, 0, 124, 64}, 96, 63},    // 16 from the right side
      {kBelowLeft, {0, 16, 124, 80}, 96, 16},
  };
  const Point mouse{500, 400};
  for (const Case& c : cases) {
    const BalloonLayout b = PlaceBalloon(BalloonStyle::Balloon(), kText, mouse, kScreen, c.wanted);
    SCOPED_TRACE(static_cast<int>(c.wanted));
    EXPECT_EQ(b.body, c.body);
    ASSERT_TRUE(b.hasPointer);
    EXPECT_EQ(b.pointer[0], (Point{c.baseX, c.baseY}));
    EXPECT_EQ(b.pointer[1], (Point{c.baseX + 12, c.baseY}));
    EXPECT_EQ(b.pointer[2], (Point{mouse.x - b.window.left, mouse.y - b.window.top}));
    EXPECT_EQ(b.shadow, (Point{4, 4}));
    // The text area is exactly the text's size, inside the body.
    EXPECT_EQ(b.textArea, c.body.Inset(12, 12));
    EXPECT_EQ(b.textArea.Width(), kText.width);
    EXPECT_EQ(b.textArea.Height(), kText.height);
    // Body plus shadow fill the window.
    EXPECT_EQ(b.window.Width(), b.body.right + 4);
  }
}

TEST(BalloonGeometry, PlainBoxHasNoPointerAndNoShadow) {
  const BalloonLayout b =
      PlaceBalloon(BalloonStyle::Plain(), kText, {500, 400}, kScreen, BalloonPlacement::kBelowLeft);
  EXPECT_FALSE(b.hasPointer);
  EXPECT_EQ(b.shadow, (Point{0, 0}));
  EXPECT_EQ(b.window, (Rect{394, 400, 500, 442}));
  EXPECT_EQ(b.body, (Rect{0, 0, 106, 42}));
  EXPECT_EQ(b.textArea, (Rect{3, 1, 103, 41}));
}

}  // namespace
}  // namespace postwink
