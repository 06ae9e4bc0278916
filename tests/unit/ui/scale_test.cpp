#include "core/ui/scale.h"

#include <gtest/gtest.h>

#include <array>

#include "core/list/list_placement.h"
#include "core/list/list_rows.h"
#include "core/ui/report_model.h"

namespace postwink {
namespace {

TEST(Scale, SizesAtTheCommonScales) {
  struct Case {
    int dpi;
    int margin3;   // the cell tip's margin
    int margin4;   // a cell's text margin
    int icon16;    // a list image, a small icon
    int pane300;   // the preview pane
    int font9pt;   // LOGFONT height of 9 points
    int font10pt;  // and of 10
  };
  const Case cases[] = {
      {96, 3, 4, 16, 300, -12, -13},
      {120, 4, 5, 20, 375, -15, -17},
      {144, 5, 6, 24, 450, -18, -20},
      {192, 6, 8, 32, 600, -24, -27},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpi);
    EXPECT_EQ(ScalePixels(3, c.dpi), c.margin3);
    EXPECT_EQ(ScalePixels(4, c.dpi), c.margin4);
    EXPECT_EQ(ScalePixels(16, c.dpi), c.icon16);
    EXPECT_EQ(SmallIconSize(c.dpi), c.icon16);
    EXPECT_EQ(ScalePixels(300, c.dpi), c.pane300);
    EXPECT_EQ(FontHeightForDpi(90, c.dpi), c.font9pt);
    EXPECT_EQ(FontHeightForDpi(100, c.dpi), c.font10pt);
    // Every size comes back to its design size.
    EXPECT_EQ(RescalePixels(ScalePixels(300, c.dpi), c.dpi, kDesignDpi), 300);
  }
  EXPECT_EQ(ScalePixels(-7, 144), -11);  // negative offsets round away from zero too
}

TEST(Scale, ADpiNoMonitorHasCountsAsTheDesigns) {
  for (int dpi : {0, -96, 12, 100000}) {
    SCOPED_TRACE(dpi);
    EXPECT_EQ(SaneDpi(dpi), kDesignDpi);
    EXPECT_EQ(ScalePixels(16, dpi), 16);
    EXPECT_EQ(RescalePixels(50, dpi, 144), 75);
  }
  EXPECT_EQ(SaneDpi(480), 480);
  // A hand-edited width near the limit of an int does not overflow.
  EXPECT_EQ(ScalePixels(1000000000, 192), 2000000000);
  EXPECT_EQ(ScalePixels(2000000000, 192), INT32_MAX);
}

TEST(Scale, TheIconSizeDrawnFromAMultiSizeIcon) {
  const std::array<int, 5> sizes{16, 20, 24, 32, 48};
  EXPECT_EQ(PickIconSize(sizes, SmallIconSize(96)), 16);
  EXPECT_EQ(PickIconSize(sizes, SmallIconSize(120)), 20);
  EXPECT_EQ(PickIconSize(sizes, SmallIconSize(144)), 24);
  EXPECT_EQ(PickIconSize(sizes, SmallIconSize(192)), 32);
  EXPECT_EQ(PickIconSize(sizes, 40), 48);  // shrunk from the next larger size
  EXPECT_EQ(PickIconSize(sizes, 64), 48);  // nothing larger: the largest
  EXPECT_EQ(PickIconSize(std::array<int, 1>{32}, 16), 32);
  EXPECT_EQ(PickIconSize(std::span<const int>(), 16), 0);
}

TEST(Scale, AWindowMovedToAMonitorOfAnotherScale) {
  // Two monitors side by side: 1920x1080 at 100 %, then 2880x1620 at 150 % on its right.
  const Rect left{0, 0, 1920, 1040};
  const Rect right{1920, 0, 4800, 1580};
  const Rect window{1500, 600, 1900, 900};  // 400x300
  // The system suggests the window at 150 % where the mouse dragged it.
  const Rect suggested{2000, 500, 2600, 950};
  Rect moved = RectAfterDpiChange(window, 96, 144, suggested, right);
  EXPECT_EQ(moved, suggested);
  EXPECT_EQ(RescalePixels(moved.Width(), 144, 96), window.Width());
  EXPECT_EQ(RescalePixels(moved.Height(), 144, 96), window.Height());
  // Back on the first monitor it has its first size again.
  Rect back = RectAfterDpiChange(moved, 144, 96, {1400, 500, 1800, 800}, left);
  EXPECT_EQ(back.Width(), window.Width());
  EXPECT_EQ(back.Height(), window.Height());
  // A suggestion reaching past the new work area is moved onto it, keeping its size.
  Rect past = RectAfterDpiChange(window, 96, 144, {4500, 1400, 5100, 1850}, right);
  EXPECT_EQ(past, (Rect{4200, 1130, 4800, 1580}));
  // No usable suggestion: rescaled where it is.
  EXPECT_EQ(RectAfterDpiChange(window, 96, 192, {0, 0, 0, 0}, right),
            (Rect{1920, 600, 2720, 1200}));
}

TEST(Scale, TheListKeepsItsColumnsAndItsCornerOnAnotherScale) {
  ReportModel model;
  DefineListColumns(model, true, 96);
  model.SetColumnWidth(kColumnSubject, 250);
  const std::string stored = model.SaveColumnState(96);

  // Moved to 150 %: every column a half wider; what it stores stays the same.
  model.RescaleColumnWidths(96, 144);
  EXPECT_EQ(model.Column(kColumnSubject)->width, 375);
  EXPECT_EQ(model.Column(kColumnImportance)->width, 42);
  EXPECT_EQ(model.SaveColumnState(144), stored);
  // Started on the 150 % monitor, it reads the stored widths back at that scale.
  ReportModel started;
  DefineListColumns(started, false, 144);
  ASSERT_TRUE(started.RestoreColumnState(stored, 144));
  EXPECT_EQ(started.TotalWidth(), model.TotalWidth());
  EXPECT_EQ(ListColumns(144)[kColumnFrom].width, 300);
  // And back at 100 % it is as it was.
  model.RescaleColumnWidths(144, 96);
  EXPECT_EQ(model.SaveColumnState(96), stored);

  // The list at the bottom-right corner stays there at its new size.
  const Rect work{1920, 0, 4800, 1580};
  const Size size{RescalePixels(703, 96, 144), RescalePixels(200, 96, 144)};
  EXPECT_EQ(PlaceListWindow(3, size, work), (Rect{4800 - 1055, 1580 - 300, 4800, 1580}));
}

}  // namespace
}  // namespace postwink
