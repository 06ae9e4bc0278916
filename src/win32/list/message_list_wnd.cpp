#include "win32/list/message_list_wnd.h"

#include <commctrl.h>
#include <richedit.h>
#include <windowsx.h>

#include <algorithm>

#include "core/list/list_rows.h"
#include "core/mime/body_and_parts.h"
#include "core/mime/parse_message.h"
#include "core/ui/scale.h"
#include "win32/controls/script_text.h"
#include "win32/dpi.h"
#include "win32/high_contrast.h"
#include "win32/image_strip.h"
#include "win32/list/work_area.h"
#include "win32/resource.h"
#include "win32/wide_text.h"
#include "win32/window_messages.h"

namespace postwink::win {

MessageListWnd::MessageListWnd(ListWindowContext context) : context_(std::move(context)) {}

MessageListWnd::~MessageListWnd() {
  *alive_ = false;
  Destroy();
  if (images_) ImageList_Destroy(images_);
}

bool MessageListWnd::Create(HWND parent, const DisplayList& list,
                            const std::vector<uint32_t>& accountColours, DWORD style, DWORD exStyle,
                            int autoCloseMs, bool activate) {
  if (shown_ || creating_) return false;
  const Settings& s = context_.settings;
  effects_ = ListEffectFlags(s.showStyle, s.dispPos, activate);
  autoCloseMs_ = autoCloseMs;
  animationMs_ = AnimationMs(s.drawSec);
  keepOpen_ = true;
  activate_ = activate;
  listData_ = &list;
  accountColours_ = accountColours;
  WindowArgs args;
  args.className = kMessageListClassName;
  args.title = L"Postwink";
  args.style = style;
  args.exStyle = exStyle;
  args.x = 0;
  args.y = 0;
  args.width = 100;
  args.height = 100;
  args.parent = parent;
  args.classBackground = nullptr;
  if (!CreateWindowFrom(args)) {
    creating_ = false;
    shown_ = false;
    return false;
  }
  if (activate) SetFocus(list_.hwnd());
  return true;
}

// Close requests are refused until the window is complete: it is filled, sized, placed and
// animated in before it can go.
LRESULT MessageListWnd::OnCreate() {
  const Settings& s = context_.settings;
  creating_ = true;
  dpi_ = WindowDpi(hwnd());
  MakeFonts();
  SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), FALSE);
  if (!CreateList()) {
    creating_ = false;
    return -1;
  }
  // A list that pops up after a check shows what is new; the user's list shows everything.
  Fill(*listData_, !activate_);
  CreatePreview();
  Place(activate_);
  PlayShowAnimation();
  RunTimerSteps(AutoCloseAtCreation(autoCloseMs_, s.autoClose == 1));
  creating_ = false;
  return 0;
}

bool MessageListWnd::CreateList() {
  const Settings& s = context_.settings;
  RECT client;
  GetClientRect(hwnd(), &client);
  DWORD style = WS_VISIBLE | WS_TABSTOP | kReportShowSelAlways | kReportShowSelAlwaysFocus |
                kReportCellTips | (s.dispHead ? 0 : kReportNoHeader);
  if (!list_.Create(hwnd(), kListCtrlId, client, style)) return false;
  SendMessageW(list_.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), FALSE);
  shown_ = true;

  CreateImages();
  list_.SetImageList(images_);
  DefineListColumns(list_.Model(), false, dpi_);
  if (!list_.RestoreState(context_.profile, kListStateSection, kListStateKey)) {
    for (int c = 0; c < kListColumnCount; ++c) list_.ActivateColumn(c, c);
  }
  LimitColumnWidths();
  list_.ModifyStyle(0, static_cast<DWORD>(s.grid) & (kReportHorizontalGrid | kReportVerticalGrid));
  const bool system = HighContrastOn();
  list_.SetSelectionColour(system ? GetSysColor(COLOR_HIGHLIGHT) : static_cast<COLORREF>(s.selRgb));
  list_.SetBackgroundColour(system ? GetSysColor(COLOR_WINDOW) : static_cast<COLORREF>(s.bgRgb));
  list_.SetEmptyText(kListEmptyText);
  list_.EnableCellTips(s.showTooltip == 1);
  list_.DeleteAllItems();
  list_.SetSortCallback(CompareListRows);
  nextColour_ = SetListColours(list_.Model(), s, GetSysColor(COLOR_GRAYTEXT), accountColours_);
  return true;
}

MailItem* MessageListWnd::ItemAt(int row) const {
  const ReportRow* r = list_.Model().Row(row);
  return r ? RowItem(*r) : nullptr;
}

void MessageListWnd::Fill(const DisplayList& list, bool unreadOnly) {
  const Settings& s = context_.settings;
  listData_ = &list;
  // The item, not the row: rows move when the list is sorted again.
  const MailItem* remembered = previewRow_ >= 0 ? ItemAt(previewRow_) : nullptr;
  list_.DeleteAllItems();
  FillOptions options;
  options.unreadOnly = unreadOnly;
  options.trimFrom = s.trimFrom != 0;
  options.systemColours = HighContrastOn();
  options.sort = SortFromSetting(s.sortItem);
  int row = FillListRows(list_.Model(), list, options, nextColour_, remembered);
  list_.Refresh();
  if (row < 0) {
    HidePreview();
    previewRow_ = -2;
    return;
  }
  list_.SelectItem(row);
  previewRow_ = row;
  if (PreviewVisible()) ShowPreview(row);
}

void MessageListWnd::RemoveRow(int row, bool byImage) {
  MailItem* item = ItemAt(row);
  if (!item) return;
  const bool wasPreview = row == previewRow_;
  // The item stays in the DisplayList, so a later check does not list it again.
  item->flags |= kMailRemoved;
  FreeLargeTexts(*item);
  list_.DeleteItem(row);
  if (wasPreview) {
    previewRow_ = -2;
  } else if (previewRow_ > row) {
    --previewRow_;
  }
  if (list_.GetItemCount() == 0) {
    RunTimerSteps(AutoCloseWhenEmptied());
    HidePreview();
  } else if (byImage) {
    // The row that took its place is selected, and previewed when the pane is open.
    const int next = std::min(row, list_.GetItemCount() - 1);
    list_.SelectItem(next);
    if (PreviewVisible() && context_.settings.preview) {
      ShowPreview(next);
    } else {
      previewRow_ = next;
    }
  }
  FitToContent();
}

void MessageListWnd::RunTimerSteps(const TimerSteps& steps) {
  for (const TimerStep& step : steps) {
    const auto id = static_cast<UINT_PTR>(step.timer);
    switch (step.kind) {
      case TimerStep::Kind::kStart:
        SetTimer(hwnd(), id, static_cast<UINT>(step.ms), nullptr);
        break;
      case TimerStep::Kind::kStop:
        KillTimer(hwnd(), id);
        break;
      case TimerStep::Kind::kPostClose:
        PostMessageW(hwnd(), WM_CLOSE, 0, 0);
        break;
    }
  }
}

CloseFacts MessageListWnd::CurrentCloseFacts() const {
  CloseFacts facts;
  POINT p{};
  GetCursorPos(&p);
  RECT window;
  GetWindowRect(hwnd(), &window);
  facts.pointerInWindow = PtInRect(&window, p) != FALSE;
  if (context_.trayArea) facts.pointerInTray = context_.trayArea().Contains({p.x, p.y});
  facts.shiftHeld = GetAsyncKeyState(VK_SHIFT) < 0;
  facts.dialogOpen = dialogOpen_;
  HWND focus = GetFocus();
  facts.focusInList = focus && (focus == list_.hwnd() || focus == preview_);
  return facts;
}

void MessageListWnd::OnTimer(UINT_PTR id) {
  switch (static_cast<ListTimer>(id)) {
    case ListTimer::kMarkRead: {
      KillTimer(hwnd(), id);
      MailItem* item = previewRow_ >= 0 ? ItemAt(previewRow_) : nullptr;
      if (item && item == markReadItem_) {
        item->flags |= kMailRead;
        list_.SetItemBold(previewRow_, false);
      }
      break;
    }
    case ListTimer::kAutoClose:
      RunTimerSteps(AutoCloseFired(CurrentCloseFacts(), keepOpen_, creating_));
      break;
    case ListTimer::kCloseRetry:
      RunTimerSteps(CloseRetryFired(CurrentCloseFacts(), creating_));
      break;
  }
}

void MessageListWnd::OnActivate(bool active) {
  if (!active) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd(), focus)) savedFocus_ = focus;
    return;
  }
  HWND target = list_.hwnd();
  if (savedFocus_ && IsWindow(savedFocus_) && IsChild(hwnd(), savedFocus_) &&
      IsWindowVisible(savedFocus_)) {
    target = savedFocus_;
  }
  SetFocus(target);
  if (context_.acknowledgeNewMail) context_.acknowledgeNewMail();
}

void MessageListWnd::OnClose() {
  if (creating_) return;
  if (PreviewVisible()) HidePreview();
  RunTimerSteps(AutoCloseOnClose());
  const bool animated = animationMs_ > 0 && IsWindowVisible(hwnd()) &&
                        AnimateWindow(hwnd(), static_cast<DWORD>(animationMs_), effects_.hide);
  if (!animated) ShowWindow(hwnd(), SW_HIDE);
  shown_ = false;
  DestroyWindow(hwnd());
}

void MessageListWnd::OnDestroy() {
  for (ListTimer timer : {ListTimer::kAutoClose, ListTimer::kCloseRetry, ListTimer::kMarkRead}) {
    KillTimer(hwnd(), static_cast<UINT_PTR>(timer));
  }
  if (list_.IsAlive()) {
    list_.SaveState(context_.profile, kListStateSection, kListStateKey);
    context_.settings.sortItem = SortSetting(list_.GetSortColumn());
  }
  shown_ = false;
  savedFocus_ = nullptr;
  preview_ = nullptr;
}

void MessageListWnd::SortByHeader(int column) {
  const MailItem* previewed = previewRow_ >= 0 ? ItemAt(previewRow_) : nullptr;
  list_.SortByHeaderClick(column);
  if (int row = RowOfItem(list_.Model(), previewed); row >= 0) previewRow_ = row;
}

void MessageListWnd::FollowSelection() {
  const int focused = list_.Model().FocusedRow();
  const ReportRow* row = list_.Model().Row(focused);
  PreviewStep step = PreviewOnSelection(row && row->Has(kRowSelected) ? focused : -1, previewRow_);
  if (step.kind == PreviewStep::Kind::kHide) {
    HidePreview();
  } else if (step.kind == PreviewStep::Kind::kFollow) {
    previewRow_ = step.row;
    if (PreviewVisible()) ShowPreview(step.row);
  }
}

void MessageListWnd::OpenRow(int row, bool ctrl) {
  PreviewStep step = PreviewOnOpen(row, context_.settings.preview != 0, ctrl, PreviewVisible());
  switch (step.kind) {
    case PreviewStep::Kind::kOpenInEditor:
      OnCommand(ID_OPEN_IN_EDITOR);
      break;
    case PreviewStep::Kind::kHide:
      HidePreview();
      break;
    case PreviewStep::Kind::kShow:
      ShowPreview(step.row);
      break;
    default:
      break;
  }
}

LRESULT MessageListWnd::OnListNotify(const NMREPORTVIEW& nm) {
  switch (static_cast<int>(nm.hdr.code)) {
    case kReportItemClick:
      if (context_.acknowledgeNewMail) context_.acknowledgeNewMail();
      return 0;
    case kReportItemRClick: {
      if (context_.acknowledgeNewMail) context_.acknowledgeNewMail();
      // A right click on a selected row keeps the selection, for the context menu.
      const ReportRow* row = list_.Model().Row(nm.row);
      return row && row->Has(kRowSelected) ? 1 : 0;
    }
    case kReportItemDblClick:
      if (nm.row >= 0 && nm.column != kColumnAttachment && nm.column != kColumnTrash) {
        OpenRow(nm.row, false);
      }
      return 0;
    case kReportSelectionChanged:
      FollowSelection();
      return 0;
    case kReportKeyDown:
      return RunKey(CommandPlace::kList, nm.key, (nm.flags & MK_CONTROL) != 0) ? 1 : 0;
    case kReportColumnClick:
      if (nm.column >= 0) SortByHeader(nm.column);
      return 1;
    case kReportLayoutChanged:
      FitToContent();
      return 0;
    default:
      return 0;
  }
}

std::optional<LRESULT> MessageListWnd::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      return OnCreate();
    case WM_SIZE:
      if (list_.IsAlive()) {
        Layout();
        FitToContent();
      }
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_DPICHANGED:
      OnDpiChanged(wParam, lParam);
      return 0;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam) != WA_INACTIVE);
      return 0;
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->hwndFrom == list_.hwnd()) {
        return OnListNotify(*reinterpret_cast<NMREPORTVIEW*>(lParam));
      }
      if (preview_ && header->hwndFrom == preview_) return OnPreviewNotify(header);
      return 0;
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_LIST_REMOVE_ITEM:
      RemoveRow(static_cast<int>(wParam), true);
      return 0;
    case WM_LIST_ATTACH_MENU:
      ShowAttachmentMenu();
      return 0;
    case WM_CONTEXTMENU:
      OnContextMenu(reinterpret_cast<HWND>(wParam), {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_PREVIEW_CONTEXT: {
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(preview_, &at);
      ShowContextMenu(CommandPlace::kPreview, at);
      return 0;
    }
    case WM_LIST_OPEN_LINK:
      OpenLink(static_cast<LONG>(wParam), static_cast<LONG>(lParam));
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      return std::nullopt;
  }
}

}  // namespace postwink::win
