#include "win32/controls/pp_tooltip.h"

#include <gtest/gtest.h>

#include "controls/tip_reader.h"
#include "win32/wide_text.h"
#include "window_test_support.h"

namespace postwink::win {
namespace {

using test::CentreOf;
using test::HostWindow;
using test::MoveMouseTo;
using test::PumpFor;
using test::PumpUntil;

// "<b><ct=0x0000FF><al_c>検索対象</b><br><ct=0x00AA00><hr=100%></ct><br>どの項目の中から検索するか指定します"
const std::string kHelpText =
    "<b><ct=0x0000FF><al_c>検索対象</b><br><ct=0x00AA00><hr=100%></"
    "ct><br>どの項目の中から検索するか指定します";

class TooltipWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.Create(200, 250, 420, 200));
    first_ = host_.AddButton(101, L"Hover me", 20, 20, 120, 30);
    second_ = host_.AddButton(102, L"Second", 200, 20, 120, 30);
    SetForegroundWindow(host_.hwnd());
    ASSERT_TRUE(tip_.Create(host_.hwnd(), true));
    tip_.SetPlacement(BalloonPlacement::kAboveRight);
    tip_.AddTool(first_, kHelpText);
    tip_.AddTool(second_, "plain text\nsecond line");
    MoveMouseTo({5, 5});
    PumpFor(100);
  }

  // Inside the host window, over no control.
  POINT EmptyArea() const {
    POINT p{200, 120};
    ClientToScreen(host_.hwnd(), &p);
    return p;
  }

  HostWindow host_;
  HWND first_ = nullptr;
  HWND second_ = nullptr;
  CPPTooltip tip_;
};

TEST_F(TooltipWindowTest, WindowIsATopMostToolWindowOfItsOwnClass) {
  wchar_t name[64] = {};
  GetClassNameW(tip_.hwnd(), name, 64);
  EXPECT_STREQ(name, L"CPPTooltip");
  EXPECT_TRUE(GetClassLongPtrW(tip_.hwnd(), GCL_STYLE) & CS_SAVEBITS);
  EXPECT_EQ(GetClassLongPtrW(tip_.hwnd(), GCLP_HBRBACKGROUND), 0);
  const LONG_PTR ex = GetWindowLongPtrW(tip_.hwnd(), GWL_EXSTYLE);
  EXPECT_TRUE((ex & WS_EX_TOPMOST) && (ex & WS_EX_TOOLWINDOW));
  EXPECT_TRUE(GetWindowLongPtrW(tip_.hwnd(), GWL_STYLE) & WS_POPUP);
  EXPECT_EQ(GetWindow(tip_.hwnd(), GW_OWNER), host_.hwnd());
  EXPECT_FALSE(IsWindowVisible(tip_.hwnd()));
}

TEST_F(TooltipWindowTest, HoveringShowsTheBalloonAfterTheDelay) {
  const POINT mouse = CentreOf(first_);
  const DWORD start = GetTickCount();
  MoveMouseTo(mouse);
  ASSERT_TRUE(PumpUntil([&] { return tip_.VisibleTool() == 0; }, 3000));
  EXPECT_GE(GetTickCount() - start, 450u);

  const BalloonLayout& layout = tip_.Layout();
  EXPECT_EQ(layout.placement, BalloonPlacement::kAboveRight);
  RECT window;
  GetWindowRect(tip_.hwnd(), &window);
  EXPECT_EQ(window.left, mouse.x - 16);
  EXPECT_EQ(window.bottom, mouse.y);
  EXPECT_EQ(window.right - window.left, layout.window.Width());
  // The measured text: two lines and a rule line, as wide as the explanation.
  EXPECT_GT(layout.textArea.Width(), 100);
  EXPECT_GT(layout.textArea.Height(), 30);
  // Screen readers read the words of the balloon, without its looks.
  const test::TipAsRead read = test::ReadTip(tip_.hwnd());
  ASSERT_EQ(read.found, S_OK);
  EXPECT_EQ(read.name, Widen("検索対象\nどの項目の中から検索するか指定します"));
  EXPECT_EQ(read.role, ROLE_SYSTEM_TOOLTIP);

  // The region: rounded corners cut away, body and pointer in, shadow beside the body.
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(tip_.hwnd(), region), ERROR);
  const Rect& b = layout.body;
  EXPECT_FALSE(PtInRegion(region, b.left, b.top));
  EXPECT_TRUE(PtInRegion(region, (b.left + b.right) / 2, (b.top + b.bottom) / 2));
  EXPECT_TRUE(PtInRegion(region, layout.pointer[0].x + 2, b.bottom + 2));
  EXPECT_TRUE(PtInRegion(region, b.right + 2, (b.top + b.bottom) / 2));
  DeleteObject(region);

  // A key press hides it, and over the same control it stays away.
  PostMessageW(host_.hwnd(), WM_KEYDOWN, VK_SHIFT, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(tip_.hwnd()); }, 1000));
  MoveMouseTo({mouse.x + 3, mouse.y});
  PumpFor(900);
  EXPECT_EQ(tip_.VisibleTool(), std::nullopt);

  // Another control brings its own tip; the window's empty area takes it away.
  MoveMouseTo(CentreOf(second_));
  EXPECT_TRUE(PumpUntil([&] { return tip_.VisibleTool() == 1; }, 3000));
  MoveMouseTo(EmptyArea());
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(tip_.hwnd()); }, 1000));
}

// A group box with a tip of its own around a control with its own: the control's tip shows over
// the control, the group's beside it, whichever tool was added first.
TEST_F(TooltipWindowTest, TheInnermostToolShowsItsTip) {
  HWND group = CreateWindowExW(0, L"BUTTON", L"Group", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 10, 70,
                               380, 90, host_.hwnd(), nullptr, ProgramInstance(), nullptr);
  HWND inner = host_.AddButton(103, L"Inner", 200, 100, 120, 30);
  tip_.AddTool(group, "group");  // 2
  tip_.AddTool(inner, "inner");  // 3
  MoveMouseTo(CentreOf(inner));
  EXPECT_TRUE(PumpUntil([&] { return tip_.VisibleTool() == 3; }, 3000));
  POINT besideInner{40, 120};
  ClientToScreen(host_.hwnd(), &besideInner);
  MoveMouseTo(besideInner);
  EXPECT_TRUE(PumpUntil([&] { return tip_.VisibleTool() == 2; }, 3000));
}

TEST_F(TooltipWindowTest, LeavingBeforeTheDelayShowsNothing) {
  MoveMouseTo(CentreOf(first_));
  PumpFor(200);
  MoveMouseTo(EmptyArea());
  PumpFor(800);
  EXPECT_FALSE(IsWindowVisible(tip_.hwnd()));
}

}  // namespace
}  // namespace postwink::win
