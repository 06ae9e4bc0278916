#include "core/ui/tray_area.h"

namespace postwink {

ScreenRect TrayArea(const TaskbarFacts& facts) {
  if (facts.shellTray) {
    ScreenRect r = *facts.shellTray;
    for (const ShellChildWindow& child : facts.shellChildren) {
      if (child.className == "TrayNotifyWnd") {
        r = child.rect;
      } else if (child.className == "TrayClockWClass") {
        // The clock is not part of the icons: cut it off, below it on a vertical bar.
        if (child.rect.bottom < r.bottom - 5) {
          r.top = child.rect.bottom;
        } else {
          r.right = child.rect.left;
        }
        break;
      }
    }
    return r;
  }
  if (facts.taskbar) {
    auto [edge, bar] = *facts.taskbar;
    if (edge == TaskbarEdge::kLeft || edge == TaskbarEdge::kRight) {
      return {bar.left, bar.bottom - 100, bar.right, bar.bottom - 16};
    }
    return {bar.right - 100, bar.top, bar.right - 16, bar.bottom};
  }
  const ScreenRect& w = facts.workArea;
  return {w.right - 150, w.bottom - 30, w.right, w.bottom};
}

}  // namespace postwink
