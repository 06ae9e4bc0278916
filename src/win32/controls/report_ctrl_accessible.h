#pragma once
// The report control as Active Accessibility sees it: a list whose rows are its simple children,
// each with its name, state and read or unread description. Screen readers ask for it with
// WM_GETOBJECT; they may keep it after the control is gone, when every question fails cleanly.

#include "win32/platform/windows_headers.h"

#include <oleacc.h>

namespace postwink::win {

class CReportCtrl;

// A new object with one reference, or none when the system's part cannot be made.
IAccessible* CreateReportAccessible(CReportCtrl& ctrl);
// Cuts the object loose from a control that is being destroyed.
void DisconnectReportAccessible(IAccessible* accessible);

}  // namespace postwink::win
