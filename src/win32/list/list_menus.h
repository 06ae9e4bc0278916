#pragma once
// The list window's menus: the context menu of the list and of the preview pane, and the
// attachment menu of a message; and opening an attachment chosen from it.

#include <functional>
#include <optional>
#include <string>

#include "core/list/list_commands.h"
#include "core/mime/attachment_file.h"
#include "core/mime/mail_item.h"
#include "core/mime/mime_parts.h"
#include "core/oauth/token_provider.h"
#include "win32/platform/windows_headers.h"

namespace postwink::win {

// The context menu (menu resource 142) as the facts make it, at a screen point. Returns the
// command chosen, 0 for none or when no menu opens.
UINT TrackContextMenu(HWND owner, POINT at, const ContextFacts& facts, const std::string& editor,
                      const std::string& mailer);

// The attachment menu of a part list, vertically centred on a screen point. Returns the part to
// open when an item that the window opens was chosen.
std::optional<size_t> TrackAttachmentMenu(HWND owner, POINT at, const PartList& parts);

// Writes the part into the temporary folder and asks in the attachment dialog, modal over owner,
// what to do with it; nothing when it cannot be written. dialogOpen is told when the dialog
// opens and closes; afterwards owner, when it still exists, is brought to the front again.
void OpenAttachment(HWND owner, const MailItem& item, const PartList& parts, size_t part,
                    TempFolder& folder, const std::function<void(bool)>& dialogOpen);

// The same for a part of an IMAP message, which is fetched first: the window's thread goes on
// meanwhile (dialogOpen is told it is open, so owner stays), and the dialog (or the fetch's
// error) comes when the part has arrived, as long as owner still exists. log receives the
// conversation; an account that signs in with OAuth takes its access token from tokens.
void FetchAndOpenAttachment(HWND owner, const MailItem& item, const MimePart& part,
                            TokenProvider* tokens, const TempFolder& folder,
                            std::function<void(std::string_view)> log,
                            std::function<void(bool)> dialogOpen);

}  // namespace postwink::win
