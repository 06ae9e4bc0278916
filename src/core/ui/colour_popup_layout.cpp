#include "core/ui/colour_popup_layout.h"

#include <algorithm>

#include "core/ui/scale.h"

namespace postwink {

Rect ColourPopupLayout::CellRect(int index) const {
  const int x = grid.left + (index % kPaletteColumns) * cell;
  const int y = grid.top + (index / kPaletteColumns) * cell;
  return {x, y, x + cell, y + cell};
}

ColourEntry ColourPopupLayout::HitTest(Point p) const {
  if (automaticRow && automaticRow->Contains(p)) return ColourEntry::Automatic();
  if (customRow && customRow->Contains(p)) return ColourEntry::Custom();
  if (cell <= 0 || !grid.Contains(p)) return ColourEntry::None();
  const int column = (p.x - grid.left) / cell;
  const int row = (p.y - grid.top) / cell;
  return ColourEntry::Cell(row * kPaletteColumns + column);
}

ColourPopupLayout LayoutColourPopup(int edge, std::optional<Size> automaticText,
                                    std::optional<Size> customText, const Rect& button,
                                    const Rect& area, int dpi) {
  ColourPopupLayout layout;
  const int e = edge;
  const int cell = ScalePixels(18, dpi);
  layout.cell = cell - (2 * e + 2) < ScalePixels(5, dpi) ? 2 * e + 7 : cell;
  const int gridWidth = kPaletteColumns * layout.cell;
  const int gridHeight = kPaletteRows * layout.cell;
  int width = 2 * e + gridWidth;
  int height = 2 * e + gridHeight;

  int textWidth = 0;
  int textHeight = 0;
  for (const std::optional<Size>& text : {automaticText, customText}) {
    if (!text) continue;
    textWidth = std::max(textWidth, text->width);
    textHeight = std::max(textHeight, text->height);
  }
  const int rowHeight = textHeight + 4 * e + 2;
  if (automaticText || customText) width = std::max(width, textWidth + 2 * e);

  int gridTop = e;
  if (automaticText) {
    layout.automaticRow = Rect{e, e, width - e, e + rowHeight};
    gridTop += rowHeight + 2 * e;
    height += rowHeight + 2 * e;
  }
  const int gridLeft = (width - gridWidth) / 2;
  layout.grid = {gridLeft, gridTop, gridLeft + gridWidth, gridTop + gridHeight};
  if (customText) {
    const int top = layout.grid.bottom + 2 * e;
    layout.customRow = Rect{e, top, width - e, top + rowHeight};
    height += rowHeight + 2 * e;
  }

  int left = button.left;
  int top = button.bottom;
  if (left + width > area.right) left = area.right - width;
  if (left < area.left) left = area.left;
  if (top + height > area.bottom) top = button.top - height;
  layout.window = {left, top, left + width, top + height};
  return layout;
}

}  // namespace postwink
