#pragma once
// Every pixel size the windows take from their design (column widths, margins, heights of
// rows and panes) goes through here, so that following the monitor's resolution later is a
// change in one place. Today a design pixel is a screen pixel.

namespace postwink {

constexpr int ScalePixels(int designPixels) { return designPixels; }

}  // namespace postwink
