#include "core/ui/tooltip_relay.h"

namespace postwink {

std::optional<int> ToolUnder(const std::vector<std::optional<Rect>>& areas, Point point) {
  std::optional<int> found;
  long long smallest = 0;
  for (size_t i = 0; i < areas.size(); ++i) {
    if (!areas[i] || !areas[i]->Contains(point)) continue;
    const long long area = static_cast<long long>(areas[i]->Width()) * areas[i]->Height();
    if (!found || area < smallest) {
      found = static_cast<int>(i);
      smallest = area;
    }
  }
  return found;
}

TooltipRelay::Actions TooltipRelay::MouseMove(Point position, std::optional<int> tool,
                                              bool applicationActive) {
  if (!applicationActive || last_ == position) return {};
  last_ = position;
  pending_.reset();
  if (!tool) {
    shown_.reset();
    return {TooltipAction::kHide};
  }
  // Over the tool shown last, the tip stays away until the mouse has been elsewhere.
  if (tool == shown_) return {TooltipAction::kHide};
  pending_ = tool;
  return {TooltipAction::kHide, TooltipAction::kStartShowTimer};
}

TooltipRelay::Actions TooltipRelay::Press() {
  pending_.reset();
  return {TooltipAction::kHide};
}

TooltipRelay::Actions TooltipRelay::ShowTimerFired(Point cursor, std::optional<int> tool) {
  const std::optional<int> pending = pending_;
  pending_.reset();
  if (!pending || cursor != last_ || tool != pending) return {TooltipAction::kHide};
  shown_ = pending;
  return {TooltipAction::kShow};
}

TooltipRelay::Actions TooltipRelay::HideTimerFired() { return {TooltipAction::kHide}; }

}  // namespace postwink
