#pragma once
// The list's and the menus' pictures: strips of small pictures on magenta, drawn at build time
// for 16, 20, 24 and 32 pixels, one resource each. The strip for a DPI is the one drawn at its
// size, or the nearest larger one shrunk to it.

#include <array>

#include "win32/platform/windows_headers.h"

namespace postwink::win {

// Resource ids of one strip at 16, 20, 24 and 32 pixels.
using StripResources = std::array<int, 4>;

// A new image list of the strip's pictures at dpi (16 pixels at 96 DPI), or null.
HIMAGELIST LoadImageStrip(const StripResources& strips, int dpi);

}  // namespace postwink::win
