#include "win32/list/work_area.h"

#include "core/list/list_placement.h"
#include "win32/platform/windows_headers.h"

namespace postwink::win {

namespace {

Rect FromRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

TaskbarEdge EdgeOf(UINT edge) {
  switch (edge) {
    case ABE_LEFT:
      return TaskbarEdge::kLeft;
    case ABE_TOP:
      return TaskbarEdge::kTop;
    case ABE_RIGHT:
      return TaskbarEdge::kRight;
    default:
      return TaskbarEdge::kBottom;
  }
}

}  // namespace

bool GetWorkArea(Rect& area) {
  APPBARDATA bar{};
  bar.cbSize = sizeof bar;
  if (!SHAppBarMessage(ABM_GETTASKBARPOS, &bar)) return false;
  HMONITOR monitor = MonitorFromRect(&bar.rc, MONITOR_DEFAULTTONULL);
  if (!monitor) return false;
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return false;
  Rect work = FromRect(info.rcWork);
  APPBARDATA hidden{};
  hidden.cbSize = sizeof hidden;
  hidden.uEdge = bar.uEdge;
  auto autoHide = reinterpret_cast<HWND>(SHAppBarMessage(ABM_GETAUTOHIDEBAR, &hidden));
  RECT barRect{};
  if (autoHide && GetWindowRect(autoHide, &barRect)) {
    work = CutByAutoHideBar(work, EdgeOf(bar.uEdge), FromRect(barRect));
  }
  area = work;
  return true;
}

Rect WorkAreaNear(const Rect& r) {
  RECT rect{r.left, r.top, r.right, r.bottom};
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info)) {
    return FromRect(info.rcWork);
  }
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

Rect WorkAreaOrPrimary() {
  Rect area;
  if (GetWorkArea(area)) return area;
  RECT work{};
  if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) return FromRect(work);
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace postwink::win
