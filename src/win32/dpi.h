#pragma once
// The DPI a window is drawn at. The program is per-monitor aware: every window asks for the
// DPI of the monitor it is on, sizes itself from it (core/ui/scale.h) and re-lays itself out
// when WM_DPICHANGED says it moved to a monitor of another scale. Systems before Windows 10
// 1607 lack the per-window functions; there the one system DPI of the screen stands in.

#include "win32/platform/windows_headers.h"

namespace postwink::win {

#ifndef WM_DPICHANGED
inline constexpr UINT WM_DPICHANGED = 0x02E0;
#endif

// The DPI of the monitor the window is on; of the screen when there is no window.
int WindowDpi(HWND hwnd);
// GetSystemMetrics as it would answer on a monitor of dpi.
int SystemMetricForDpi(int index, int dpi);
// A font of the system's metrics (given at the screen's DPI) at dpi.
LOGFONTW FontAtDpi(LOGFONTW systemFont, int dpi);

// WM_DPICHANGED's new DPI and its suggested window rectangle, moved onto the monitor's work
// area and applied.
int ApplyDpiChange(HWND hwnd, WPARAM wParam, LPARAM lParam, int oldDpi);

}  // namespace postwink::win
