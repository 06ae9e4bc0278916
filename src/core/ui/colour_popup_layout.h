#pragma once
// Where the colour pop-up goes and where its cells and text rows lie.

#include <optional>

#include "core/ui/colour_palette.h"
#include "core/ui/geometry.h"
#include "core/ui/scale.h"

namespace postwink {

struct ColourPopupLayout {
  int cell = 0;
  Rect window;  // screen coordinates
  // In window coordinates:
  Rect grid;
  std::optional<Rect> automaticRow;
  std::optional<Rect> customRow;

  Rect CellRect(int index) const;
  // The entry under a point in window coordinates; None on the border and between rows.
  ColourEntry HitTest(Point p) const;
};

// edge: the system's edge width. The texts' sizes in the message font; nullopt leaves the row
// out. button: the button's screen rectangle; the pop-up opens below its bottom-left corner,
// inside area (the work area of the button's monitor). The edge and the texts are measured at
// dpi, the cells are scaled to it.
ColourPopupLayout LayoutColourPopup(int edge, std::optional<Size> automaticText,
                                    std::optional<Size> customText, const Rect& button,
                                    const Rect& area, int dpi = kDesignDpi);

}  // namespace postwink
