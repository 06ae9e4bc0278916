// The windows that show message text draw every character: each script of the table is shown
// in the window and the window's pixels, as they reach the screen, are searched for the face's
// "no glyph" box.
#include <gtest/gtest.h>

#include "core/ui/scale.h"
#include "glyph_canvas.h"
#include "win32/controls/gdi_text_measurer.h"
#include "win32/controls/pp_tooltip.h"
#include "win32/controls/report_tip.h"
#include "win32/wide_text.h"
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
    tip.Show(cell, script.text, canvas.font(), {0, 0, 1024, 768}, kDesignDpi);
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

TEST(GlyphDrawing, MarkupTipShowsEveryScript) {
  const LOGFONTW tipFont = StatusBarFont();
  std::string markup = "<b>Title</b><br>";
  for (const Script& script : kScripts) {
    // The program's own text reaches the tip through the conversion edge.
    ASSERT_EQ(Widen(Narrow(script.text)), script.text) << script.name;
    markup += Narrow(script.text) + "<br>";
  }
  test::HostWindow host;
  ASSERT_TRUE(host.Create(100, 300, 300, 120));
  HWND button = host.AddButton(101, L"Hover me", 20, 20, 120, 30);
  SetForegroundWindow(host.hwnd());
  CPPTooltip tip;
  ASSERT_TRUE(tip.Create(host.hwnd(), true));
  tip.SetPlacement(BalloonPlacement::kAboveRight);
  tip.AddTool(button, markup);
  MoveMouseTo({5, 5});
  PumpFor(100);
  MoveMouseTo(CentreOf(button));
  ASSERT_TRUE(PumpUntil([&] { return tip.VisibleTool().has_value(); }, 3000));
  UpdateWindow(tip.hwnd());
  PumpFor(50);
  RECT shown;
  GetWindowRect(tip.hwnd(), &shown);
  Canvas canvas(tipFont, shown.right - shown.left, shown.bottom - shown.top);
  ASSERT_TRUE(canvas.Valid());
  const auto box = canvas.NoGlyphBox();
  ASSERT_FALSE(box.empty());
  canvas.CopyScreen(shown, GetSysColor(COLOR_INFOBK));
  EXPECT_FALSE(canvas.Contains(box)) << "a character drew as the no-glyph box";
  EXPECT_GT(canvas.InkColumns(), 40);
  MoveMouseTo({5, 5});
}

}  // namespace
}  // namespace postwink::win
