// What the user does in the list window: the commands of its context menus, the keys of the
// list and of the preview pane, the links in the preview and the attachment menu.
#include <richedit.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "core/list/list_rows.h"
#include "core/mime/body_and_parts.h"
#include "core/platform/system.h"
#include "win32/list/list_menus.h"
#include "win32/list/message_list_wnd.h"
#include "win32/resource.h"
#include "win32/wide_text.h"
#include "win32/window_messages.h"

namespace postwink::win {

LRESULT MessageListWnd::OnPreviewNotify(NMHDR* header) {
  if (header->code == EN_LINK) {
    const auto* link = reinterpret_cast<ENLINK*>(header);
    CHARRANGE range = link->chrg;
    switch (link->msg) {
      case WM_LBUTTONUP:
      case WM_RBUTTONDOWN:
        // The link becomes the selection, for the menu's "URL を開く" and for copying.
        SendMessageW(preview_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return 0;
      case WM_LBUTTONDBLCLK:
        SendMessageW(hwnd(), WM_LIST_OPEN_LINK, static_cast<WPARAM>(range.cpMin), range.cpMax);
        return 1;
      default:
        return 0;
    }
  }
  if (header->code != EN_MSGFILTER) return 0;
  const auto* filter = reinterpret_cast<MSGFILTER*>(header);
  if (filter->msg == WM_RBUTTONUP) {
    // The menu opens once the pane has handled the click.
    PostMessageW(hwnd(), WM_PREVIEW_CONTEXT, filter->wParam, filter->lParam);
    return 0;
  }
  if (filter->msg != WM_KEYDOWN) return 0;
  return RunKey(CommandPlace::kPreview, static_cast<UINT>(filter->wParam),
                GetKeyState(VK_CONTROL) < 0)
             ? 1
             : 0;
}

bool MessageListWnd::RunKey(CommandPlace place, UINT key, bool ctrl) {
  const bool inList = place == CommandPlace::kList;
  switch (CommandForKey(place, static_cast<int>(key), ctrl)) {
    case KeyCommand::kSwitchFocus:
      if (!inList) {
        SetFocus(list_.hwnd());
      } else if (PreviewVisible()) {
        SetFocus(preview_);
      }
      return true;
    case KeyCommand::kOpen: {
      int row = inList ? list_.Model().FocusedRow() : list_.GetFirstSelected();
      if (row >= 0) OpenRow(row, ctrl);
      return true;
    }
    case KeyCommand::kClose:
      PostMessageW(hwnd(), WM_CLOSE, 0, 0);
      return true;
    case KeyCommand::kDelete:
      OnCommand(ID_LIST_DELETE);
      return true;
    case KeyCommand::kSelectAll:
      OnCommand(ID_EDIT_SELECT_ALL);
      return true;
    case KeyCommand::kReadToggle:
      OnCommand(ID_READ_UNREAD);
      return true;
    case KeyCommand::kStartMailer:
      OnCommand(ID_START_MAILER);
      return true;
    case KeyCommand::kNone:
      break;
  }
  return false;
}

void MessageListWnd::OnCommand(UINT id) {
  switch (id) {
    case ID_OPEN_IN_EDITOR:
      OpenInEditor();
      break;
    case ID_START_MAILER:
      PostMessageW(GetWindow(hwnd(), GW_OWNER), WM_COMMAND, ID_START_MAILER, 0);
      break;
    case ID_OPEN_LINK: {
      CHARRANGE range{};
      if (preview_) SendMessageW(preview_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
      if (range.cpMin != range.cpMax) {
        SendMessageW(hwnd(), WM_LIST_OPEN_LINK, static_cast<WPARAM>(range.cpMin), range.cpMax);
      }
      break;
    }
    case ID_EDIT_COPY:
      if (preview_) SendMessageW(preview_, WM_COPY, 0, 0);
      break;
    case ID_LIST_DELETE:
      DeleteSelected();
      break;
    case ID_READ_UNREAD:
      ToggleRead();
      break;
    case ID_EDIT_SELECT_ALL:
      SelectAllCommand();
      break;
    default:
      break;
  }
}

void MessageListWnd::OpenInEditor() {
  if (context_.settings.editor.empty()) return;
  int row = list_.GetFirstSelected();
  MailItem* item = ItemAt(row);
  if (!item) return;
  PostMessageW(GetWindow(hwnd(), GW_OWNER), WM_OPEN_IN_EDITOR, static_cast<WPARAM>(row),
               reinterpret_cast<LPARAM>(item));
  item->flags |= kMailRead;
  list_.SetItemBold(row, false);
}

void MessageListWnd::DeleteSelected() {
  // The last removal acts as the remove image does: the row that takes its place is selected
  // and, with the pane open, previewed.
  for (int row = list_.GetFirstSelected(); row >= 0;) {
    const int count = list_.GetItemCount();
    const int next = list_.GetNextSelected(row);
    RemoveRow(row, next < 0);
    if (list_.GetItemCount() == count) break;  // nothing was removed: never loop for ever
    row = next < 0 ? -1 : list_.GetFirstSelected();
  }
}

void MessageListWnd::ToggleRead() {
  std::vector<int> rows = list_.GetSelectedItems();
  std::vector<MailItem*> items;
  for (int row : rows) items.push_back(ItemAt(row));
  std::optional<bool> read = FlipRead(items);
  if (!read) return;
  for (int row : rows) list_.SetItemBold(row, !*read);
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void MessageListWnd::SelectAllCommand() {
  HWND focus = GetFocus();
  if (preview_ && focus == preview_) {
    SendMessageW(preview_, EM_SETSEL, 0, -1);
    return;
  }
  if (focus != list_.hwnd() || list_.GetItemCount() == 0) return;
  if (list_.GetFirstSelected() < 0) list_.SelectItem(0);
  list_.SelectAll();
}

void MessageListWnd::OpenLink(LONG first, LONG end) {
  if (!preview_ || first < 0 || end <= first) return;
  CHARRANGE range{first, end};
  HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  SendMessageW(preview_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
  std::wstring text(static_cast<size_t>(range.cpMax - range.cpMin) + 1, L'\0');
  LRESULT n = SendMessageW(preview_, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(std::clamp<LRESULT>(n, 0, static_cast<LRESULT>(text.size()))));
  if (LinkMayOpen(Narrow(text))) {
    ShellExecuteW(hwnd(), nullptr, text.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
  SetCursor(previous);
}

ContextFacts MessageListWnd::CurrentContextFacts(CommandPlace place) const {
  ContextFacts facts;
  facts.place = place;
  facts.editorSet = !context_.settings.editor.empty();
  facts.mailerSet = !context_.settings.mua.empty();
  if (const MailItem* item = ItemAt(list_.GetFirstSelected())) {
    facts.firstSelectedRead = (item->flags & kMailRead) != 0;
  }
  if (preview_) {
    CHARRANGE range{};
    SendMessageW(preview_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    facts.previewSelectionEmpty = range.cpMin == range.cpMax;
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_LINK;
    SendMessageW(preview_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    // The whole selection is a link only when the mask still holds the effect's bit.
    facts.previewSelectionIsLink =
        !facts.previewSelectionEmpty && (format.dwMask & CFM_LINK) && (format.dwEffects & CFE_LINK);
  }
  return facts;
}

void MessageListWnd::OnContextMenu(HWND from, POINT at) {
  const bool fromKeyboard = at.x == -1 && at.y == -1;
  if (from == list_.hwnd()) {
    if (fromKeyboard) {
      // At the first selected row.
      int row = list_.GetFirstSelected();
      RECT cell{};
      for (int column = 0; row >= 0 && column < kListColumnCount; ++column) {
        if (std::optional<RECT> r = list_.GetItemRect(row, column)) {
          cell = *r;
          break;
        }
      }
      at = {cell.left, cell.bottom};
      ClientToScreen(list_.hwnd(), &at);
    }
    ShowContextMenu(CommandPlace::kList, at);
  } else if (preview_ && from == preview_ && fromKeyboard) {
    // The mouse's menu comes through WM_PREVIEW_CONTEXT; this is the context key's.
    at = {0, 0};
    ClientToScreen(preview_, &at);
    ShowContextMenu(CommandPlace::kPreview, at);
  }
}

void MessageListWnd::ShowContextMenu(CommandPlace place, POINT at) {
  if (place == CommandPlace::kPreview) SetFocus(preview_);
  std::shared_ptr<bool> alive = alive_;
  UINT command = TrackContextMenu(hwnd(), at, CurrentContextFacts(place), context_.settings.editor,
                                  context_.settings.mua);
  if (*alive && command != 0) OnCommand(command);
}

void MessageListWnd::ShowAttachmentMenu() {
  MailItem* item = ItemAt(list_.GetFirstSelected());
  if (!item) return;
  // Its own list: a preview shown while the menu is open parses another message.
  PartList parts;
  AttachmentParts(*item, parts, context_.charsets);
  POINT at{};
  GetCursorPos(&at);
  std::shared_ptr<bool> alive = alive_;
  std::optional<size_t> part = TrackAttachmentMenu(hwnd(), at, parts);
  // A check may have refilled the list while the menu was open: the part list is that item's.
  if (!*alive || !part || ItemAt(list_.GetFirstSelected()) != item) return;
  if (context_.tempFolder.empty()) return;
  System& system = PlatformSystem();
  TempFolder folder{system.files, context_.tempFolder, system.codePage};
  auto dialogOpen = [this, alive](bool open) {
    if (*alive) dialogOpen_ = open;
  };
  if (parts[*part].section) {
    FetchAndOpenAttachment(hwnd(), *item, parts[*part], context_.tokens, folder, context_.log,
                           dialogOpen);
    return;
  }
  OpenAttachment(hwnd(), *item, parts, *part, folder, dialogOpen);
}

}  // namespace postwink::win
