#pragma once
// Window messages and commands that pass between the program's windows.

#include "win32/platform/windows_headers.h"

namespace postwink::win {

// List window → MainDialog, posted: wParam the row, lParam the MailItem.
inline constexpr UINT WM_OPEN_IN_EDITOR = 0x4DE;
// Settings sheet → MainDialog, sent: wParam 0 after Apply, 1 after OK.
inline constexpr UINT WM_SETTINGS_APPLIED = 0x559;

}  // namespace postwink::win
