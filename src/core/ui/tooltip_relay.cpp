#include "core/ui/tooltip_relay.h"

namespace postwink {

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
