#pragma once
// Where a tool tip's balloon goes and what shape its window has: pure arithmetic over the text
// size, the mouse position and the screen size.

#include <array>

#include "core/ui/geometry.h"

namespace postwink {

// Placement of the box relative to the mouse: bit 0 set extends it to the right, bit 1 set
// puts it below.
enum class BalloonPlacement { kAboveLeft = 0, kAboveRight = 1, kBelowLeft = 2, kBelowRight = 3 };

struct BalloonStyle {
  bool pointer = true;  // style bit 1: anchor towards the mouse
  bool shadow = true;   // style bit 2
  bool rounded = true;  // style bit 4
  Size corner{16, 16};  // the ellipse of the rounded corners
  Size margin{12, 12};  // between the border and the text
  Size shadowOffset{4, 4};
  int pointerBase = 12;
  int pointerHeight = 16;
  int pointerOffset = 16;  // from the box's side to the start of the pointer's base
  Size border{1, 1};

  static BalloonStyle Balloon() { return {}; }
  static BalloonStyle Plain();
  // Every size of the style at dpi; the border stays one pixel, as a line does.
  BalloonStyle Scaled(int dpi) const;
};

struct BalloonLayout {
  Rect window;  // screen coordinates, shadow included
  BalloonPlacement placement = BalloonPlacement::kAboveRight;
  // The rest in window coordinates.
  Rect body;  // the (rounded) box: without the pointer's strip and the shadow
  bool hasPointer = false;
  std::array<Point, 3> pointer{};  // base start, base end, tip (the mouse position)
  Point shadow;                    // the offset of the shadow copy; 0, 0 without shadow
  Rect textArea;                   // the body inset by the margins
};

// The window's size for a text of the given size.
Size BalloonSize(const BalloonStyle& style, Size text);

// Places the balloon for a text at the mouse position inside area (the work area of the mouse's
// monitor, in screen coordinates), starting from the wanted placement and flipping a direction
// that would leave it.
BalloonLayout PlaceBalloon(const BalloonStyle& style, Size text, Point mouse, const Rect& area,
                           BalloonPlacement wanted);

}  // namespace postwink
