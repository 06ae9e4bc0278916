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

namespace {

// Design sizes: the preview's side margins, and what columns leave of the work area's width.
constexpr int kPreviewMargin = 20;
constexpr int kColumnMaxMargin = 400;

// A font of tenths of a point at dpi, as the settings give sizes in points. Shift_JIS is asked
// for so that a face missing on this system falls back to one that has Japanese characters.
GdiHandle PointFont(int tenths, const std::string& face, int dpi) {
  LOGFONTW lf{};
  lf.lfHeight = FontHeightForDpi(tenths, dpi);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  std::wstring name = Widen(face);
  name.copy(lf.lfFaceName, LF_FACESIZE - 1);
  return GdiHandle(CreateFontIndirectW(&lf));
}

// Hand-edited sizes stay within what a window can show.
int SanePoints(int points) { return std::clamp(points, 1, 400); }
int SanePaneHeight(int pixels) { return std::clamp(pixels, 0, 8000); }

// The rich edit class of the newest library the system has.
const wchar_t* RichEditClass() {
  WNDCLASSEXW info{};
  info.cbSize = sizeof info;
  if (GetClassInfoExW(nullptr, MSFTEDIT_CLASS, &info)) return MSFTEDIT_CLASS;
  if (LoadLibraryW(L"Msftedit.dll") && GetClassInfoExW(nullptr, MSFTEDIT_CLASS, &info)) {
    return MSFTEDIT_CLASS;
  }
  if (!GetClassInfoExW(nullptr, RICHEDIT_CLASSW, &info)) LoadLibraryW(L"riched20.dll");
  return RICHEDIT_CLASSW;
}

// Gives the stretches of the preview's text that its face lacks the face of a font that has
// them. The rich edit control binds fonts itself on Windows, but not every version (nor Wine)
// does it for every script.
void BindFallbackFonts(HWND edit, HFONT font) {
  GETTEXTLENGTHEX length{GTL_NUMCHARS | GTL_PRECISE, 1200};
  const LRESULT count =
      SendMessageW(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
  if (count <= 0) return;
  std::wstring text(static_cast<size_t>(count) + 1, L'\0');
  GETTEXTEX get{};
  get.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  get.flags = GT_DEFAULT;
  get.codepage = 1200;
  const LRESULT got = SendMessageW(edit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                   reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, count)));
  HDC dc = GetDC(edit);
  HGDIOBJ old = SelectObject(dc, font);
  const std::vector<FontSpan> spans = TextFallbackSpans(dc, text);
  SelectObject(dc, old);
  ReleaseDC(edit, dc);
  for (const FontSpan& span : spans) {
    CHARRANGE range{static_cast<LONG>(span.first), static_cast<LONG>(span.first + span.length)};
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_FACE | CFM_CHARSET;
    format.bCharSet = DEFAULT_CHARSET;
    span.face.substr(0, LF_FACESIZE - 1).copy(format.szFaceName, LF_FACESIZE - 1);
    SendMessageW(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  }
}

bool SameRect(const RECT& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

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

void MessageListWnd::MakeFonts() {
  const Settings& s = context_.settings;
  listFont_ = PointFont(SanePoints(s.fontSize) * 10, s.fontName, dpi_);
  previewFont_ = PointFont(SanePoints(s.fontSizePreview) * 10, s.fontNamePreview, dpi_);
}

void MessageListWnd::LimitColumnWidths() {
  const int maxWidth =
      std::max(WorkAreaOrPrimary().Width() - ScalePixels(kColumnMaxMargin, dpi_), 1);
  for (int c = 0; c < kListColumnCount; ++c) list_.SetColumnMaxWidth(c, maxWidth);
}

void MessageListWnd::CreateImages() {
  if (images_) ImageList_Destroy(images_);
  images_ = LoadImageStrip(
      {IDB_LIST_IMAGES, IDB_LIST_IMAGES_20, IDB_LIST_IMAGES_24, IDB_LIST_IMAGES_32}, dpi_);
  if (!images_) return;
  const int wanted = ScalePixels(16, dpi_);
  for (int id : {IDI_LIST_REMOVE, IDI_LIST_REMOVE_PRESSED, IDI_LIST_ATTACHMENT,
                 IDI_LIST_ATTACHMENT_PRESSED}) {
    IconHandle icon(static_cast<HICON>(
        LoadImageW(ProgramInstance(), MAKEINTRESOURCEW(id), IMAGE_ICON, wanted, wanted, 0)));
    if (icon) ImageList_AddIcon(images_, icon.get());
  }
}

void MessageListWnd::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
  const int oldDpi = dpi_;
  dpi_ = ApplyDpiChange(hwnd(), wParam, lParam, oldDpi);
  if (dpi_ == oldDpi || !list_.IsAlive()) return;
  // The old fonts stay alive until the controls hold the new ones.
  GdiHandle oldList = std::move(listFont_);
  GdiHandle oldPreview = std::move(previewFont_);
  MakeFonts();
  SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), FALSE);
  SendMessageW(list_.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), FALSE);
  CreateImages();
  list_.SetImageList(images_);
  list_.SetDpi(dpi_);
  LimitColumnWidths();
  if (preview_) {
    SendMessageW(preview_, WM_SETFONT, reinterpret_cast<WPARAM>(previewFont_.get()), FALSE);
    // The control sizes its points for the screen's DPI; on a monitor of another scale it is
    // zoomed by the ratio of the two.
    const int screen = WindowDpi(nullptr);
    SendMessageW(preview_, EM_SETZOOM, dpi_ == screen ? 0 : static_cast<WPARAM>(dpi_),
                 dpi_ == screen ? 0 : static_cast<LPARAM>(screen));
    RECT pane;
    GetWindowRect(preview_, &pane);
    SetWindowPos(preview_, nullptr, 0, 0, pane.right - pane.left,
                 RescalePixels(pane.bottom - pane.top, oldDpi, dpi_),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  }
  Layout();
  FitToContent();
}

void MessageListWnd::CreatePreview() {
  const Settings& s = context_.settings;
  RECT client;
  GetClientRect(hwnd(), &client);
  const int height = ScalePixels(SanePaneHeight(s.previewHeight), dpi_);
  preview_ = CreateWindowExW(WS_EX_STATICEDGE, RichEditClass(), L"",
                             WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0,
                             client.bottom, client.right, height, hwnd(),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPreviewId)),
                             ProgramInstance(), nullptr);
  if (!preview_) return;
  SendMessageW(preview_, WM_SETFONT, reinterpret_cast<WPARAM>(previewFont_.get()), FALSE);
  // A long message must show whole, beyond the control's default of 32,767 characters.
  SendMessageW(preview_, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_CHARSET | CFM_BOLD | CFM_ITALIC |
                  CFM_UNDERLINE | CFM_STRIKEOUT;
  format.dwEffects = 0;
  format.yHeight = SanePoints(s.fontSizePreview) * 20;
  const bool system = HighContrastOn();
  format.crTextColor = system ? GetSysColor(COLOR_WINDOWTEXT) : static_cast<COLORREF>(s.preRgb);
  format.bCharSet = SHIFTJIS_CHARSET;
  Widen(s.fontNamePreview).copy(format.szFaceName, LF_FACESIZE - 1);
  SendMessageW(preview_, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  // Characters the Japanese face lacks (Hangul, Thai, emoji) get a font of their own script.
  const LRESULT language = SendMessageW(preview_, EM_GETLANGOPTIONS, 0, 0);
  SendMessageW(preview_, EM_SETLANGOPTIONS, 0, language | IMF_AUTOFONT | IMF_DUALFONT);
  SendMessageW(preview_, EM_SETBKGNDCOLOR, 0,
               static_cast<LPARAM>(system ? GetSysColor(COLOR_WINDOW) : s.prebgRgb));
  SendMessageW(preview_, EM_AUTOURLDETECT, TRUE, 0);
  SendMessageW(preview_, EM_SETEVENTMASK, 0, ENM_LINK | ENM_MOUSEEVENTS | ENM_KEYEVENTS);
  Layout();
}

bool MessageListWnd::PreviewVisible() const { return preview_ && IsWindowVisible(preview_); }

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

Rect MessageListWnd::FittedRect() const {
  ListContent content;
  content.rowCount = list_.GetItemCount();
  content.rowHeight = list_.RowHeight();
  content.headerHeight = list_.HeaderHeight();
  content.columnsWidth = list_.Model().TotalWidth();
  content.verticalScrollBar = list_.HasVerticalScrollBar();
  content.scrollBarWidth = GetSystemMetrics(SM_CXVSCROLL);
  content.horizontalScrollBar = list_.HasHorizontalScrollBar();
  content.scrollBarHeight = GetSystemMetrics(SM_CYHSCROLL);
  if (PreviewVisible()) {
    RECT pane;
    GetWindowRect(preview_, &pane);
    content.previewVisible = true;
    content.previewHeight = pane.bottom - pane.top;
  }
  Size client = ListClientSize(content);
  RECT frame{0, 0, client.width, client.height};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_EXSTYLE)));
  return PlaceListWindow(context_.settings.dispPos,
                         {frame.right - frame.left, frame.bottom - frame.top}, WorkAreaOrPrimary());
}

void MessageListWnd::FitToContent() {
  if (!IsAlive() || fitting_) return;
  fitting_ = true;
  // Scroll bars the list showed while it was too small go once it has its size, and that
  // changes the size wanted; a few rounds settle it.
  for (int round = 0; round < 3; ++round) {
    Rect placed = FittedRect();
    RECT current;
    GetWindowRect(hwnd(), &current);
    if (SameRect(current, placed)) break;
    SetWindowPos(hwnd(), nullptr, placed.left, placed.top, placed.Width(), placed.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  fitting_ = false;
}

void MessageListWnd::Place(bool activate) {
  FitToContent();
  if (activate) {
    SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(GetWindow(hwnd(), GW_OWNER));
  }
}

void MessageListWnd::Layout() {
  RECT client;
  GetClientRect(hwnd(), &client);
  int listBottom = client.bottom;
  if (PreviewVisible()) {
    RECT pane;
    GetWindowRect(preview_, &pane);
    const int height = pane.bottom - pane.top;
    listBottom = std::max<int>(client.bottom - height, 0);
    SetWindowPos(preview_, nullptr, 0, listBottom, client.right, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    RECT format;
    GetClientRect(preview_, &format);
    const int margin = ScalePixels(kPreviewMargin, dpi_);
    format.left += margin;
    format.right = std::max<LONG>(format.right - margin, format.left + 1);
    SendMessageW(preview_, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&format));
  }
  SetWindowPos(list_.hwnd(), nullptr, 0, 0, client.right, listBottom,
               SWP_NOZORDER | SWP_NOACTIVATE);
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void MessageListWnd::PlayShowAnimation() {
  bool animated =
      animationMs_ > 0 && AnimateWindow(hwnd(), static_cast<DWORD>(animationMs_), effects_.show);
  if (!animated) ShowWindow(hwnd(), activate_ ? SW_SHOW : SW_SHOWNOACTIVATE);
  RedrawWindow(hwnd(), nullptr, nullptr,
               RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void MessageListWnd::ShowPreview(int row) {
  MailItem* item = ItemAt(row);
  if (!preview_ || !item) return;
  // Filled without drawing, then shown from its start.
  SendMessageW(preview_, WM_SETREDRAW, FALSE, 0);
  HideCaret(preview_);
  SetWindowTextW(preview_, L"");
  SendMessageW(preview_, EM_SETSEL, static_cast<WPARAM>(-1), -1);
  PartList parts;
  std::optional<std::string> body = GetBodyAndParts(*item, parts, context_.charsets);
  std::wstring text = Widen(body ? *body : std::string());
  SendMessageW(preview_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  BindFallbackFonts(preview_, static_cast<HFONT>(previewFont_.get()));
  ShowWindow(preview_, SW_SHOWNA);
  SendMessageW(preview_, EM_SETSEL, 0, 0);
  SendMessageW(preview_, EM_SCROLLCARET, 0, 0);
  // The message counts as read once it has been shown this long.
  previewRow_ = row;
  markReadItem_ = item;
  RunTimerSteps({{TimerStep::Kind::kStart, ListTimer::kMarkRead, kMarkReadMs}});
  Layout();
  FitToContent();
  SendMessageW(preview_, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(preview_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
  ShowCaret(preview_);
}

void MessageListWnd::HidePreview() {
  if (!PreviewVisible()) return;
  if (GetFocus() == preview_) SetFocus(list_.hwnd());
  ShowWindow(preview_, SW_HIDE);
  Layout();
  FitToContent();
  previewRow_ = -2;
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
