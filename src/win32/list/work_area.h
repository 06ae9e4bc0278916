#pragma once
// The work area the list window is placed in: that of the monitor holding the task bar, less
// an automatically hidden task bar on its edge.

#include "core/ui/geometry.h"

namespace postwink::win {

// False when the task bar, its monitor or the monitor's information cannot be found; the
// rectangle is then left as it was.
bool GetWorkArea(Rect& area);
// GetWorkArea, or the primary monitor's work area when it fails.
Rect WorkAreaOrPrimary();
// The work area of the monitor that holds most of r (or is nearest to it), in screen
// coordinates, which are negative on a monitor left of or above the primary one.
Rect WorkAreaNear(const Rect& r);

}  // namespace postwink::win
