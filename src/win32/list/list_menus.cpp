#include "win32/list/list_menus.h"

#include <vector>

#include "core/list/attachment_prompt.h"
#include "win32/controls/image_menu.h"
#include "win32/dpi.h"
#include "win32/handles.h"
#include "win32/image_strip.h"
#include "win32/list/attachment_dialog.h"
#include "win32/list/attachment_fetch_wnd.h"
#include "win32/resource.h"
#include "win32/texts.h"
#include "win32/wide_text.h"
#include "win32/wnd.h"

namespace postwink::win {
namespace {

static_assert(ID_LIST_DELETE == kCmdDelete && ID_READ_UNREAD == kCmdReadToggle &&
              ID_OPEN_IN_EDITOR == kCmdOpenInEditor && ID_OPEN_LINK == kCmdOpenLink &&
              ID_START_MAILER == kCmdStartMailer && ID_EDIT_COPY == kCmdCopy &&
              ID_EDIT_SELECT_ALL == kCmdSelectAll && IDM_ABOUTBOX == kCmdAbout);

ImageListHandle LoadMenuImages(int dpi) {
  return ImageListHandle(LoadImageStrip(
      {IDB_MENU_IMAGES, IDB_MENU_IMAGES_20, IDB_MENU_IMAGES_24, IDB_MENU_IMAGES_32}, dpi));
}

// A label from a message shown as one line: a tab would split it into a shortcut.
std::wstring MenuLabel(const std::string& label) {
  std::wstring text = Widen(label);
  for (wchar_t& c : text) {
    if (c < L' ') c = L' ';
  }
  return text;
}

}  // namespace

UINT TrackContextMenu(HWND owner, POINT at, const ContextFacts& facts, const std::string& editor,
                      const std::string& mailer) {
  if (!ContextMenuOpens(facts)) return 0;
  MenuHandle resource(LoadMenuW(ProgramInstance(), MAKEINTRESOURCEW(IDR_CONTEXT_MENU)));
  HMENU popup = resource ? GetSubMenu(resource.get(), 0) : nullptr;
  if (!popup) return 0;
  ImageListHandle strip = LoadMenuImages(WindowDpi(owner));
  ImageMenu menu(popup);
  std::vector<UINT> commands;
  for (int i = 0; i < GetMenuItemCount(popup); ++i) {
    UINT id = GetMenuItemID(popup, i);
    if (id != 0 && id != static_cast<UINT>(-1)) commands.push_back(id);
  }
  for (UINT command : commands) {
    MenuItemState state = ContextMenuItem(static_cast<int>(command), facts);
    if (!state.present) {
      DeleteMenu(popup, command, MF_BYCOMMAND);
      continue;
    }
    CheckMenuItem(popup, command, MF_BYCOMMAND | (state.checked ? MF_CHECKED : MF_UNCHECKED));
    if (state.greyed) EnableMenuItem(popup, command, MF_BYCOMMAND | MF_GRAYED);
    IconHandle icon;
    if (state.picture == MenuPicture::kEditorIcon) icon = ProgramSmallIcon(editor);
    if (state.picture == MenuPicture::kMailerIcon) icon = ProgramSmallIcon(mailer);
    if (icon) {
      menu.SetIcon(command, std::move(icon));
    } else if (std::optional<int> image = ToolbarImage(static_cast<int>(command)); image && strip) {
      menu.SetImage(command, strip.get(), *image);
    }
  }
  return menu.Track(owner, at, TPM_LEFTALIGN | TPM_TOPALIGN);
}

std::optional<size_t> TrackAttachmentMenu(HWND owner, POINT at, const PartList& parts) {
  MenuHandle popup(CreatePopupMenu());
  if (!popup) return std::nullopt;
  ImageMenu menu(popup.get());
  for (const AttachmentEntry& entry : AttachmentMenuEntries(parts)) {
    UINT flags = MF_STRING | (entry.greyed ? MF_GRAYED : 0);
    AppendMenuW(popup.get(), flags, static_cast<UINT_PTR>(entry.command),
                MenuLabel(entry.label).c_str());
    if (IconHandle icon = FileTypeSmallIcon(entry.label)) {
      menu.SetIcon(static_cast<UINT>(entry.command), std::move(icon));
    }
  }
  UINT chosen = menu.Track(owner, at, TPM_LEFTALIGN | TPM_VCENTERALIGN);
  return AttachmentPartForCommand(static_cast<int>(chosen));
}

namespace {

// Asks about the written file in the attachment dialog, or says that it could not be written.
void AskAboutAttachment(HWND owner, const std::optional<std::string>& path,
                        const std::function<void(bool)>& dialogOpen) {
  if (!path) {
    MessageBoxW(owner, Widen(kTextSaveFailed).c_str(), Widen(kTextProgramName).c_str(),
                MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (dialogOpen) dialogOpen(true);
  AttachmentDialog(*path).Run(owner);
  if (IsWindow(owner)) SetForegroundWindow(owner);
  if (dialogOpen) dialogOpen(false);
}

}  // namespace

void OpenAttachment(HWND owner, const MailItem& item, const PartList& parts, size_t part,
                    TempFolder& folder, const std::function<void(bool)>& dialogOpen) {
  AskAboutAttachment(owner, ExtractAttachment(item, parts, part, folder), dialogOpen);
}

void FetchAndOpenAttachment(HWND owner, const MailItem& item, const MimePart& part,
                            TokenProvider* tokens, const TempFolder& folder,
                            std::function<void(std::string_view)> log,
                            std::function<void(bool)> dialogOpen) {
  if (!item.account || !item.imapPlace || !part.section) return;
  const ImapPartRequest request{*item.imapPlace, *part.section, kMaxPartBytes};
  // The window stays open while the part comes, as it does while the dialog asks.
  if (dialogOpen) dialogOpen(true);
  const bool started = AttachmentFetchWnd::Start(
      *item.account, tokens, request, kAttachmentAnswerMs, std::move(log),
      [owner, part, folder, dialogOpen](AttachmentFetchResult result) {
        // The list window closed meanwhile: nobody is waiting for the file any more.
        if (!IsWindow(owner)) return;
        if (!result.content) {
          MessageBoxW(owner, Widen(result.error).c_str(), Widen(kTextProgramName).c_str(),
                      MB_OK | MB_ICONEXCLAMATION);
          if (dialogOpen) dialogOpen(false);
          return;
        }
        TempFolder target = folder;
        AskAboutAttachment(owner, WriteFetchedPart(part, *result.content, target), dialogOpen);
      });
  if (!started && dialogOpen) dialogOpen(false);
}

}  // namespace postwink::win
