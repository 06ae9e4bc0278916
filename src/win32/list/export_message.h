#pragma once
// Opening a message in the user's editor: the message is written as a text file into the
// temporary folder and the editor is started with it.

#include <string>

#include "core/mime/attachment_file.h"
#include "core/mime/charset.h"
#include "core/mime/mail_item.h"
#include "win32/platform/windows_headers.h"

namespace postwink::win {

// How long the editor may take to be ready for input before the program goes on.
inline constexpr DWORD kEditorReadyMs = 10000;

// Nothing when editor is empty. A file that cannot be written or an editor that cannot be started
// is told in a message box over owner.
void ExportMessage(HWND owner, const MailItem& item, const std::string& editor, TempFolder& folder,
                   const CharsetContext& charsets);

}  // namespace postwink::win
