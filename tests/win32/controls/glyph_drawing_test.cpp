// The windows that show message text draw every character: each script of the table is shown
// in the window and the window's pixels, as they reach the screen, are searched for the face's
// "no glyph" box.
#include <gtest/gtest.h>

#include "glyph_canvas.h"
#include "win32/controls/report_tip.h"
#include "window_test_support.h"

namespace postwink::win {
namespace {

using test::Canvas;
using test::CentreOf;
using test::kScripts;
using test::ListFont;
using test::MoveMouseTo;
using test::PumpFor;
using test::PumpUntil;
using test::Script;

TEST(GlyphDrawing, CellTipShowsEveryScript) {
  Canvas canvas(ListFont());
  ASSERT_TRUE(canvas.Valid());
  const auto box = canvas.NoGlyphBox();
  ASSERT_FALSE(box.empty());
  ReportTip tip;
  ASSERT_TRUE(tip.Create(nullptr));
  for (const Script& script : kScripts) {
    SCOPED_TRACE(script.name);
    const RECT cell{40, 60, 60, 80};  // narrower than every text: the tip grows to the text
    tip.Show(cell, script.text, canvas.font(), {0, 0, 1024, 768});
    ASSERT_TRUE(PumpUntil([&] { return tip.Visible(); }, 2000));
    UpdateWindow(tip.hwnd());
    PumpFor(50);
    RECT shown;
    GetWindowRect(tip.hwnd(), &shown);
    EXPECT_GT(shown.right - shown.left, cell.right - cell.left);
    canvas.CopyScreen(shown, GetSysColor(COLOR_INFOBK));
    EXPECT_FALSE(canvas.Contains(box)) << "a character drew as the no-glyph box";
    // Ink beyond the frame: the text itself.
    EXPECT_GT(canvas.InkColumns(), 10);
    tip.Hide();
  }
}

}  // namespace
}  // namespace postwink::win
