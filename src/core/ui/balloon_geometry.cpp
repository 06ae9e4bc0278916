#include "core/ui/balloon_geometry.h"

#include <algorithm>

#include "core/ui/scale.h"

namespace postwink {

BalloonStyle BalloonStyle::Scaled(int dpi) const {
  auto scale = [dpi](Size s) {
    return Size{ScalePixels(s.width, dpi), ScalePixels(s.height, dpi)};
  };
  BalloonStyle style = *this;
  style.corner = scale(corner);
  style.margin = scale(margin);
  style.shadowOffset = scale(shadowOffset);
  style.pointerBase = ScalePixels(pointerBase, dpi);
  style.pointerHeight = ScalePixels(pointerHeight, dpi);
  style.pointerOffset = ScalePixels(pointerOffset, dpi);
  return style;
}

BalloonStyle BalloonStyle::Plain() {
  BalloonStyle style;
  style.pointer = false;
  style.shadow = false;
  style.rounded = false;
  style.corner = {0, 0};
  style.margin = {3, 1};
  style.shadowOffset = {0, 0};
  style.pointerBase = 0;
  style.pointerHeight = 0;
  style.pointerOffset = 0;
  return style;
}

Size BalloonSize(const BalloonStyle& style, Size text) {
  Size size{text.width + 2 * style.margin.width, text.height + 2 * style.margin.height};
  if (style.pointer) size.height += style.pointerHeight;
  if (style.shadow) {
    size.width += style.shadowOffset.width;
    size.height += style.shadowOffset.height;
  }
  return size;
}

BalloonLayout PlaceBalloon(const BalloonStyle& style, Size text, Point mouse, const Rect& area,
                           BalloonPlacement wanted) {
  const Size size = BalloonSize(style, text);
  const int offset = style.pointer ? style.pointerOffset : 0;
  bool right = (static_cast<int>(wanted) & 1) != 0;
  bool below = (static_cast<int>(wanted) & 2) != 0;

  auto leftFor = [&](bool toRight) {
    if (toRight) return std::max(mouse.x - offset, area.left);
    return std::min(mouse.x + offset, area.right) - size.width;
  };
  int left = leftFor(right);
  if (left < area.left || left + size.width > area.right) {
    right = !right;
    left = leftFor(right);
  }
  auto topFor = [&](bool toBottom) { return toBottom ? mouse.y : mouse.y - size.height; };
  int top = topFor(below);
  if (top < area.top || top + size.height > area.bottom) {
    below = !below;
    top = topFor(below);
  }
  const Size shadow = style.shadow ? style.shadowOffset : Size{0, 0};
  if (!right) {
    left += shadow.width;
    top += shadow.height;
  }

  BalloonLayout layout;
  layout.window = {left, top, left + size.width, top + size.height};
  layout.placement = static_cast<BalloonPlacement>((right ? 1 : 0) | (below ? 2 : 0));
  layout.shadow = {shadow.width, shadow.height};
  const int drawWidth = size.width - shadow.width;
  const int drawHeight = size.height - shadow.height;
  layout.body = {0, 0, drawWidth, drawHeight};
  if (style.pointer) {
    if (below) {
      layout.body.top += style.pointerHeight;
    } else {
      layout.body.bottom -= style.pointerHeight;
    }
    // The base lies just inside the body so that the two shapes join without a seam.
    const int baseY = below ? layout.body.top : layout.body.bottom - 1;
    const int baseX = right ? offset : drawWidth - offset - style.pointerBase;
    layout.hasPointer = true;
    layout.pointer = {Point{baseX, baseY}, Point{baseX + style.pointerBase, baseY},
                      Point{mouse.x - left, mouse.y - top}};
  }
  layout.textArea = layout.body.Inset(style.margin.width, style.margin.height);
  return layout;
}

}  // namespace postwink
