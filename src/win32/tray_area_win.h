#pragma once
// TrayArea on the running system.

#include "core/ui/tray_area.h"

namespace postwink::win {

ScreenRect CurrentTrayArea();

}  // namespace postwink::win
