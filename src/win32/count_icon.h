#pragma once
// The tray icon with the number of unread messages drawn on it.

#include <string>

#include "win32/handles.h"
#include "win32/platform/windows_headers.h"

namespace postwink::win {

// The picture at size x size pixels with the text (one or two characters) in a red badge in
// its lower right corner; none when the picture cannot be read or drawn.
IconHandle DrawCountOnIcon(HICON picture, const std::wstring& text, int size);

}  // namespace postwink::win
