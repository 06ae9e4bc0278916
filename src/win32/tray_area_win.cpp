#include "tray_area_win.h"

#include "win32/platform/windows_headers.h"
#include "win32/wide_text.h"

namespace postwink::win {

namespace {

ScreenRect FromRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
  auto* children = reinterpret_cast<std::vector<ShellChildWindow>*>(param);
  wchar_t name[256];
  int n = GetClassNameW(child, name, 256);
  RECT r{};
  GetWindowRect(child, &r);
  children->push_back({Narrow(std::wstring_view(name, n > 0 ? n : 0)), FromRect(r)});
  return TRUE;
}

}  // namespace

ScreenRect CurrentTrayArea() {
  TaskbarFacts facts;
  if (HWND shell = FindWindowW(L"Shell_TrayWnd", nullptr)) {
    RECT r{};
    GetWindowRect(shell, &r);
    facts.shellTray = FromRect(r);
    EnumChildWindows(shell, CollectChild, reinterpret_cast<LPARAM>(&facts.shellChildren));
  } else {
    APPBARDATA bar{};
    bar.cbSize = sizeof bar;
    if (SHAppBarMessage(ABM_GETTASKBARPOS, &bar)) {
      TaskbarEdge edge = bar.uEdge == ABE_LEFT    ? TaskbarEdge::kLeft
                         : bar.uEdge == ABE_RIGHT ? TaskbarEdge::kRight
                         : bar.uEdge == ABE_TOP   ? TaskbarEdge::kTop
                                                  : TaskbarEdge::kBottom;
      facts.taskbar = std::make_pair(edge, FromRect(bar.rc));
    }
  }
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  facts.workArea = FromRect(work);
  return TrayArea(facts);
}

}  // namespace postwink::win
