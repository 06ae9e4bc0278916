#include "win32/dpi.h"

#include "core/ui/scale.h"

namespace postwink::win {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

template <typename Fn>
Fn User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                : nullptr;
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kDesignDpi;
  if (screen) ReleaseDC(nullptr, screen);
  return SaneDpi(dpi);
}

}  // namespace

int WindowDpi(HWND hwnd) {
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (hwnd && getDpiForWindow) {
    if (const UINT dpi = getDpiForWindow(hwnd)) return SaneDpi(static_cast<int>(dpi));
  }
  return ScreenDpi();
}

int SystemMetricForDpi(int index, int dpi) {
  static const auto forDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  if (forDpi) return forDpi(index, static_cast<UINT>(SaneDpi(dpi)));
  // Without it the system has one DPI, whose metrics these are.
  return GetSystemMetrics(index);
}

LOGFONTW FontAtDpi(LOGFONTW systemFont, int dpi) {
  systemFont.lfHeight = RescalePixels(systemFont.lfHeight, ScreenDpi(), dpi);
  return systemFont;
}

int ApplyDpiChange(HWND hwnd, WPARAM wParam, LPARAM lParam, int oldDpi) {
  const int dpi = SaneDpi(HIWORD(wParam));
  RECT current{};
  GetWindowRect(hwnd, &current);
  Rect suggested{};
  if (const auto* r = reinterpret_cast<const RECT*>(lParam)) {
    suggested = {r->left, r->top, r->right, r->bottom};
  }
  RECT probe{suggested.left, suggested.top, suggested.right, suggested.bottom};
  if (suggested.Width() <= 0 || suggested.Height() <= 0) probe = current;
  MONITORINFO info{};
  info.cbSize = sizeof info;
  Rect work{};
  if (GetMonitorInfoW(MonitorFromRect(&probe, MONITOR_DEFAULTTONEAREST), &info)) {
    work = {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
  }
  const Rect placed = RectAfterDpiChange({current.left, current.top, current.right, current.bottom},
                                         oldDpi, dpi, suggested, work);
  SetWindowPos(hwnd, nullptr, placed.left, placed.top, placed.Width(), placed.Height(),
               SWP_NOZORDER | SWP_NOACTIVATE);
  return dpi;
}

}  // namespace postwink::win
