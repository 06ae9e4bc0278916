#pragma once
// Where the message list window goes and how it comes and goes: its size from its content,
// its corner of the work area (DISP_POS), the animation flags (SHOWSTYLE), and the work area
// itself cut by an automatically hidden task bar.

#include <cstdint>
#include <optional>

#include "core/ui/geometry.h"
#include "core/ui/tray_area.h"

namespace postwink {

// What the content of the window measures.
struct ListContent {
  int rowCount = 0;
  int rowHeight = 0;
  int headerHeight = 0;  // 0 without a header
  int columnsWidth = 0;  // the shown columns together
  bool verticalScrollBar = false;
  int scrollBarWidth = 0;
  bool horizontalScrollBar = false;
  int scrollBarHeight = 0;
  bool previewVisible = false;
  int previewHeight = 0;
};

// The client size that shows every row (an empty list counts one row), the header and the
// preview pane; a scroll bar the list shows adds its width or height, so no row hides under it.
Size ListClientSize(const ListContent& content);

// The window rectangle of size at the DISP_POS corner of the work area, cut to the work area.
// Any other DISP_POS leaves the window at the desktop's origin.
Rect PlaceListWindow(int dispPos, Size size, Rect workArea);

// Flags of the window animation, with the values the system gives them.
inline constexpr uint32_t kAnimateHorPositive = 0x1;
inline constexpr uint32_t kAnimateHorNegative = 0x2;
inline constexpr uint32_t kAnimateVerPositive = 0x4;
inline constexpr uint32_t kAnimateVerNegative = 0x8;
inline constexpr uint32_t kAnimateHide = 0x10000;
inline constexpr uint32_t kAnimateActivate = 0x20000;
inline constexpr uint32_t kAnimateSlide = 0x40000;
inline constexpr uint32_t kAnimateBlend = 0x80000;

struct ListEffects {
  uint32_t show = 0;
  uint32_t hide = 0;
  friend bool operator==(const ListEffects&, const ListEffects&) = default;
};

// SHOWSTYLE: bit 1 fade, else bit 0 roll (clear: slide); bit 2 vertical. The window grows out
// of the screen edge beside its corner and shrinks back into it.
ListEffects ListEffectFlags(int showStyle, int dispPos, bool activate);

// The monitor's work area less an automatically hidden task bar on the given edge.
Rect CutByAutoHideBar(Rect workArea, TaskbarEdge edge, Rect bar);

}  // namespace postwink
