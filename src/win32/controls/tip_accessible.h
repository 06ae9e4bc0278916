#pragma once
// A tool tip window of the program's own (the report control's cell tip, the dialogs' balloon
// help) as Active Accessibility sees it: a tool tip whose name is the text it shows, which the
// window answers to WM_GETTEXT. Where it is, its parent and its neighbours are the system's
// answers for the window.

#include "win32/platform/windows_headers.h"

namespace postwink::win {

// The answer to WM_GETOBJECT for a tip window.
LRESULT AnswerTipGetObject(HWND tip, WPARAM wParam, LPARAM lParam);

}  // namespace postwink::win
