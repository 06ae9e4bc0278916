#pragma once
// The cell tip of the report control: a frameless pop-up that shows a cell's whole text over
// the cell. It never takes the mouse: the control under it keeps getting its messages.

#include <string>

#include "core/ui/geometry.h"
#include "win32/platform/windows_headers.h"
#include "win32/wnd.h"

namespace postwink::win {

inline constexpr const wchar_t* kReportTipClassName = L"MFCReportTipCtrl";

class ReportTip : public Wnd {
 public:
  bool Create(HWND owner);
  // cell in screen coordinates; the tip is at least as high as the cell.
  // dpi: the control's, which the font is made for.
  void Show(const RECT& cell, std::wstring text, HFONT font, Rect workArea, int dpi);
  void Hide();
  bool Visible() const { return IsAlive() && IsWindowVisible(hwnd()); }
  const std::wstring& Text() const { return text_; }

 protected:
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  std::wstring text_;
  HFONT font_ = nullptr;
  int margin_ = 3;
};

}  // namespace postwink::win
