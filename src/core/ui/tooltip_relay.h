#pragma once
// When the tool tip shows and hides, as a state machine fed with the messages that the parent
// dialog relays and with the two timers; the window carries out the actions it returns.

#include <optional>
#include <vector>

#include "core/ui/geometry.h"

namespace postwink {

inline constexpr unsigned kTooltipShowTimer = 256;
inline constexpr unsigned kTooltipHideTimer = 257;
inline constexpr unsigned kTooltipShowDelayMs = 500;
inline constexpr unsigned kTooltipHideDelayMs = 10000;

enum class TooltipAction {
  kHide,            // hide the tip and stop both timers
  kStartShowTimer,  // (re)start the initial delay
  kShow,            // show the pending tool's tip and start the auto-hide delay
};

// The tool under a point: of the areas that hold it, the smallest (the first of equals), so that
// a control inside a group box shows its own tip and the group's shows around it. An area of
// none cannot be hit; all areas and the point are in the same coordinates.
std::optional<int> ToolUnder(const std::vector<std::optional<Rect>>& areas, Point point);

class TooltipRelay {
 public:
  using Actions = std::vector<TooltipAction>;

  // tool: the tool under the position (screen coordinates), if any.
  Actions MouseMove(Point position, std::optional<int> tool, bool applicationActive);
  // A key press or a mouse button press in the client or non-client area.
  Actions Press();
  // The initial delay ran out; cursor and the tool under it now.
  Actions ShowTimerFired(Point cursor, std::optional<int> tool);
  Actions HideTimerFired();

  std::optional<int> PendingTool() const { return pending_; }
  std::optional<int> ShownTool() const { return shown_; }

 private:
  std::optional<Point> last_;
  std::optional<int> pending_;  // the tool the initial delay runs for
  std::optional<int> shown_;    // the tool whose tip was shown last
};

}  // namespace postwink
