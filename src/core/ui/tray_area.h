#pragma once
// TrayArea: the screen rectangle of the notification area, worked out from what the system tells
// about the task bar. The window side gathers the rectangles; the arithmetic is here.

#include <optional>
#include <string>
#include <vector>

namespace postwink {

struct ScreenRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const ScreenRect&) const = default;
};

struct ShellChildWindow {
  std::string className;
  ScreenRect rect;
};

enum class TaskbarEdge { kLeft, kTop, kRight, kBottom };

struct TaskbarFacts {
  // The "Shell_TrayWnd" window and its child windows in the order the system lists them.
  std::optional<ScreenRect> shellTray;
  std::vector<ShellChildWindow> shellChildren;
  // What the system reports as the task bar's edge and rectangle.
  std::optional<std::pair<TaskbarEdge, ScreenRect>> taskbar;
  ScreenRect workArea;
};

ScreenRect TrayArea(const TaskbarFacts& facts);

}  // namespace postwink
