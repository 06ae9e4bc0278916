#pragma once
// Every pixel size the windows take from their design (column widths, margins, heights of
// rows and panes, icon sizes) is a size at 96 DPI, scaled to the DPI of the monitor the window
// is on. A window asks for its DPI when it is made and again when it moves to a monitor of
// another scale, and re-lays itself out from these functions.

#include <span>

#include "core/ui/geometry.h"

namespace postwink {

constexpr int kDesignDpi = 96;

// A DPI the system reported, or 96 when it is not one a monitor could have.
int SaneDpi(int dpi);

// A design size at dpi, rounded to the nearest pixel (halves away from zero).
int ScalePixels(int designPixels, int dpi);
// A size in pixels at one DPI as the same length at another; design sizes stored in a file
// are read back with fromDpi = kDesignDpi and written with toDpi = kDesignDpi.
int RescalePixels(int pixels, int fromDpi, int toDpi);

// The LOGFONT height (negative: the character height) of a font of tenths of a point at dpi.
int FontHeightForDpi(int tenthsOfPoint, int dpi);

// The size a small icon is drawn at on a monitor of dpi (16 px at 96 DPI).
int SmallIconSize(int dpi);
// Of the sizes an icon resource holds, the one to draw at wanted pixels: the exact size, else
// the smallest larger one (shrinking stays sharp), else the largest. 0 when there is none.
int PickIconSize(std::span<const int> available, int wanted);

// Where a window goes when it moves to a monitor of another DPI: the system's suggested
// rectangle (the same size in design pixels), moved to lie whole on the new monitor's work area.
// A suggestion that is not a rectangle falls back to the current window rescaled in place.
Rect RectAfterDpiChange(const Rect& current, int oldDpi, int newDpi, const Rect& suggested,
                        const Rect& newWorkArea);

}  // namespace postwink
