#include "win32/controls/report_tip.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "core/ui/report_geometry.h"
#include "core/ui/scale.h"
#include "win32/controls/script_text.h"
#include "win32/controls/tip_accessible.h"

namespace postwink::win {

namespace {

// The tip's text line by line; "\r\n", "\r" and "\n" each end a line.
std::vector<std::wstring_view> Lines(std::wstring_view text) {
  std::vector<std::wstring_view> lines;
  while (true) {
    const size_t end = text.find_first_of(L"\r\n");
    lines.push_back(text.substr(0, end));
    if (end == std::wstring_view::npos) return lines;
    const size_t next = text.compare(end, 2, L"\r\n") == 0 ? end + 2 : end + 1;
    text.remove_prefix(next);
  }
}

}  // namespace

bool ReportTip::Create(HWND owner) {
  WindowArgs args;
  args.className = kReportTipClassName;
  args.style = WS_POPUP;
  args.exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  args.x = 0;
  args.y = 0;
  args.parent = owner;
  args.classBackground = nullptr;
  return CreateWindowFrom(args);
}

void ReportTip::Show(const RECT& cell, std::wstring text, HFONT font, Rect workArea, int dpi) {
  if (!IsAlive()) return;
  text_ = std::move(text);
  font_ = font;
  margin_ = ScalePixels(3, dpi);
  HDC dc = GetDC(hwnd());
  HGDIOBJ old = SelectObject(dc, font_);
  RECT measure{0, 0, 0, 0};
  for (std::wstring_view line : Lines(text_)) {
    const SIZE size = MeasureLine(dc, line);
    measure.right = std::max<LONG>(measure.right, size.cx);
    measure.bottom += size.cy;
  }
  SelectObject(dc, old);
  ReleaseDC(hwnd(), dc);
  Size size{measure.right + 2 * margin_ + 2,
            std::max<int>(measure.bottom + 2, cell.bottom - cell.top)};
  Rect placed = PlaceCellTip({cell.left, cell.top, cell.right, cell.bottom}, size, workArea);
  SetWindowPos(hwnd(), HWND_TOPMOST, placed.left, placed.top, placed.Width(), placed.Height(),
               SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void ReportTip::Hide() {
  if (Visible()) ShowWindow(hwnd(), SW_HIDE);
}

std::optional<LRESULT> ReportTip::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_ERASEBKGND:
      return 1;
    case WM_GETOBJECT:
      return AnswerTipGetObject(hwnd(), wParam, lParam);
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(text_.size());
    case WM_GETTEXT: {
      auto* out = reinterpret_cast<wchar_t*>(lParam);
      size_t n = std::min<size_t>(text_.size(), wParam > 0 ? wParam - 1 : 0);
      if (wParam > 0) {
        text_.copy(out, n);
        out[n] = L'\0';
      }
      return static_cast<LRESULT>(n);
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      RECT r;
      GetClientRect(hwnd(), &r);
      FillRect(dc, &r, GetSysColorBrush(COLOR_INFOBK));
      FrameRect(dc, &r, GetSysColorBrush(COLOR_INFOTEXT));
      HGDIOBJ old = SelectObject(dc, font_);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
      RECT text{r.left + margin_ + 1, r.top + 1, r.right - margin_ - 1, r.bottom - 1};
      const std::vector<std::wstring_view> lines = Lines(text_);
      if (lines.size() == 1) {
        // A single line sits in the middle of the cell's height, as the cell shows it.
        DrawLineInRect(dc, text_, text, TextAlign::kLeft);
      } else {
        int y = text.top;
        for (std::wstring_view line : lines) {
          ScriptLine laid(dc, line);
          laid.Draw(text.left, y, &text);
          y += laid.Size().cy;
        }
      }
      SelectObject(dc, old);
      EndPaint(hwnd(), &ps);
      return 0;
    }
    default:
      return Wnd::OnMessage(msg, wParam, lParam);
  }
}

}  // namespace postwink::win
