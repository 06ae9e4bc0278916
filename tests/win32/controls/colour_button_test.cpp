#include "win32/controls/colour_button.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cwchar>

#include "window_test_support.h"

namespace postwink::win {
namespace {

using test::HostWindow;
using test::PumpFor;
using test::PumpUntil;
using Record = HostWindow::Record;

constexpr int kButtonId = 1201;

class ColourButtonWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.Create(150, 150, 300, 200));
    buttonWindow_ = host_.AddButton(kButtonId, L"", 20, 20, 80, 24);
    ASSERT_TRUE(button_.Attach(buttonWindow_));
    SetForegroundWindow(host_.hwnd());
    PumpFor(50);
  }

  void Click() {
    SendMessageW(host_.hwnd(), WM_COMMAND, MAKEWPARAM(kButtonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(buttonWindow_));
    PumpFor(50);
  }
  void Keys(std::initializer_list<WPARAM> keys) {
    for (WPARAM vk : keys) {
      HWND popup = button_.PopupWindow();
      ASSERT_NE(popup, nullptr);
      PostMessageW(popup, WM_KEYDOWN, vk, 0);
      PumpFor(30);
    }
  }

  HostWindow host_;
  HWND buttonWindow_ = nullptr;
  CColorButton button_;
};

TEST_F(ColourButtonWindowTest, KeyboardChoiceSendsTheSequenceToTheParent) {
  EXPECT_TRUE(GetWindowLongPtrW(buttonWindow_, GWL_STYLE) & BS_OWNERDRAW);
  button_.SetColour(0x000000);
  Click();
  HWND popup = button_.PopupWindow();
  ASSERT_NE(popup, nullptr);
  EXPECT_TRUE(button_.PopupOpen());
  // Below the button's bottom-left corner, with the mouse captured.
  RECT buttonRect, popupRect;
  GetWindowRect(buttonWindow_, &buttonRect);
  GetWindowRect(popup, &popupRect);
  EXPECT_EQ(popupRect.left, buttonRect.left);
  EXPECT_EQ(popupRect.top, buttonRect.bottom);
  EXPECT_EQ(GetCapture(), popup);

  Keys({VK_RIGHT, VK_DOWN, VK_RETURN});
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(popup); }, 1000));
  EXPECT_FALSE(button_.PopupOpen());
  EXPECT_EQ(button_.Colour(), 0x2068FFu);
  EXPECT_EQ(host_.records, (std::vector<Record>{{2026, 0x000000, kButtonId},
                                                {2025, 0x002AA5, kButtonId},
                                                {2025, 0x2068FF, kButtonId},
                                                {2027, 0x2068FF, kButtonId},
                                                {2028, 0x2068FF, kButtonId},
                                                {2025, 0x2068FF, kButtonId}}));
}

TEST_F(ColourButtonWindowTest, EscapeKeepsTheColour) {
  button_.SetColour(0x0000FF);
  Click();
  Keys({VK_UP, VK_UP, VK_ESCAPE});
  EXPECT_EQ(button_.Colour(), 0x0000FFu);
  EXPECT_EQ(host_.records, (std::vector<Record>{{2026, 0x0000FF, kButtonId},
                                                {2025, 0x00008B, kButtonId},
                                                {2025, 0x000000, kButtonId},
                                                {2027, 0x0000FF, kButtonId},
                                                {2029, 0x0000FF, kButtonId}}));
}

TEST_F(ColourButtonWindowTest, MouseReleaseOnACellChoosesItAndOutsideCancels) {
  button_.SetColour(kAutomaticColour);
  Click();
  HWND popup = button_.PopupWindow();
  ASSERT_NE(popup, nullptr);
  // The automatic row is current; release over cell 39 ("White").
  const Rect cell = button_.Popup()->Layout().CellRect(39);
  const LPARAM at = MAKELPARAM(cell.left + 4, cell.top + 4);
  SendMessageW(popup, WM_MOUSEMOVE, 0, at);
  SendMessageW(popup, WM_LBUTTONUP, 0, at);
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_EQ(button_.Colour(), 0xFFFFFFu);

  host_.records.clear();
  Click();
  popup = button_.PopupWindow();
  ASSERT_NE(popup, nullptr);
  SendMessageW(popup, WM_LBUTTONUP, 0, MAKELPARAM(-20, -20));
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_EQ(host_.records.back(), (Record{2029, 0xFFFFFF, kButtonId}));
}

TEST_F(ColourButtonWindowTest, EveryCellHasItsNameAsATip) {
  Click();
  HWND popup = button_.PopupWindow();
  ASSERT_NE(popup, nullptr);
  struct Find {
    HWND owner;
    HWND tips = nullptr;
  } find{popup};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM param) -> BOOL {
        auto& f = *reinterpret_cast<Find*>(param);
        wchar_t name[32] = {};
        GetClassNameW(window, name, 32);
        if (_wcsicmp(name, TOOLTIPS_CLASSW) == 0 && GetWindow(window, GW_OWNER) == f.owner) {
          f.tips = window;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&find));
  ASSERT_NE(find.tips, nullptr);
  EXPECT_EQ(SendMessageW(find.tips, TTM_GETTOOLCOUNT, 0, 0), 40);
  wchar_t text[80] = {};
  TTTOOLINFOW info{};
  info.cbSize = sizeof info;
  info.lpszText = text;
  ASSERT_TRUE(SendMessageW(find.tips, TTM_ENUMTOOLSW, 35, reinterpret_cast<LPARAM>(&info)));
  EXPECT_STREQ(text, L"Pale green ");
  Keys({VK_ESCAPE});
}

TEST_F(ColourButtonWindowTest, NearTheBottomOfTheScreenThePopupOpensAbove) {
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  SetWindowPos(host_.hwnd(), nullptr, 150, screenHeight - 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  PumpFor(50);
  Click();
  HWND popup = button_.PopupWindow();
  ASSERT_NE(popup, nullptr);
  RECT buttonRect, popupRect;
  GetWindowRect(buttonWindow_, &buttonRect);
  GetWindowRect(popup, &popupRect);
  EXPECT_EQ(popupRect.bottom, buttonRect.top);
  Keys({VK_ESCAPE});
}

// The system colour dialog is closed from a timer while its modal loop runs.
void CALLBACK CloseColourDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (std::wstring(name) == L"#32770" && IsWindowVisible(window)) {
          PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        }
        return TRUE;
      },
      0);
  KillTimer(nullptr, timer);
}

TEST_F(ColourButtonWindowTest, CancellingMoreColorsIsACancel) {
  button_.SetColour(0x123456);  // not in the palette: "More Colors..." is current
  Click();
  SetTimer(nullptr, 0, 500, &CloseColourDialog);
  Keys({VK_DOWN, VK_RETURN});
  ASSERT_TRUE(PumpUntil([&] { return !button_.PopupOpen(); }, 5000));
  EXPECT_EQ(button_.Colour(), 0x123456u);
  EXPECT_EQ(host_.records, (std::vector<Record>{{2026, 0x123456, kButtonId},
                                                {2025, 0x123456, kButtonId},
                                                {2027, 0x123456, kButtonId},
                                                {2029, 0x123456, kButtonId}}));
}

}  // namespace
}  // namespace postwink::win
