#pragma once
// What the list window's files share.

#include <algorithm>

namespace postwink::win {

// Hand-edited sizes stay within what a window can show.
inline int SanePoints(int points) { return std::clamp(points, 1, 400); }
inline int SanePaneHeight(int pixels) { return std::clamp(pixels, 0, 8000); }

}  // namespace postwink::win
