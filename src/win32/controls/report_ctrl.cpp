#include "win32/controls/report_ctrl.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "core/ui/scale.h"
#include "win32/controls/report_ctrl_accessible.h"
#include "win32/controls/report_tip.h"
#include "win32/controls/script_text.h"
#include "win32/dpi.h"
#include "win32/list/work_area.h"
#include "win32/wide_text.h"

namespace postwink::win {

namespace {

// The wheel step as the user set it for every program.
int ReadWheelStep() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_READ, &key) !=
      ERROR_SUCCESS) {
    return WheelStepFromSetting(std::nullopt);
  }
  wchar_t value[32] = {};
  DWORD type = 0;
  DWORD size = sizeof value - sizeof(wchar_t);
  LONG status = RegQueryValueExW(key, L"WheelScrollLines", nullptr, &type,
                                 reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ) return WheelStepFromSetting(std::nullopt);
  return WheelStepFromSetting(Narrow(value));
}

}  // namespace

CReportCtrl::CReportCtrl()
    : selectionColour_(GetSysColor(COLOR_HIGHLIGHT)),
      backgroundColour_(GetSysColor(COLOR_WINDOW)) {}

CReportCtrl::~CReportCtrl() {
  tip_.reset();
  Destroy();
}

bool CReportCtrl::Create(HWND parent, int id, const RECT& rect, DWORD style) {
  // The header control.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  WindowArgs args;
  args.className = kReportCtrlClassName;
  args.style = style | WS_CHILD | WS_CLIPCHILDREN;
  args.x = rect.left;
  args.y = rect.top;
  args.width = rect.right - rect.left;
  args.height = rect.bottom - rect.top;
  args.parent = parent;
  args.classStyle = CS_DBLCLKS;
  args.classBackground = nullptr;
  if (!CreateWindowFrom(args)) return false;
  SetWindowLongPtrW(hwnd(), GWLP_ID, id);
  dpi_ = WindowDpi(hwnd());
  wheelStep_ = ReadWheelStep();
  tip_ = std::make_unique<ReportTip>();
  tip_->Create(hwnd());
  if (!(ReportStyle() & kReportNoHeader)) CreateHeader();
  UpdateRowHeight();
  UpdateLayout();
  return true;
}

DWORD CReportCtrl::ReportStyle() const {
  return IsAlive() ? static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE)) & 0xFFFF : 0;
}

bool CReportCtrl::HasVerticalScrollBar() const {
  return IsAlive() && (GetWindowLongPtrW(hwnd(), GWL_STYLE) & WS_VSCROLL) != 0;
}

bool CReportCtrl::HasHorizontalScrollBar() const {
  return IsAlive() && (GetWindowLongPtrW(hwnd(), GWL_STYLE) & WS_HSCROLL) != 0;
}

ReportView CReportCtrl::View() const {
  ReportView view;
  view.headerHeight = HeaderHeight();
  view.rowHeight = rowHeight_;
  view.topRow = topRow_;
  view.scrollX = scrollX_;
  RECT client{};
  if (IsAlive()) GetClientRect(hwnd(), &client);
  view.client = {client.right, client.bottom};
  return view;
}

void CReportCtrl::ModifyStyle(DWORD remove, DWORD add) {
  if (!IsAlive()) return;
  auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE));
  style = (style & ~(remove & 0xFFFF)) | (add & 0xFFFF);
  SetWindowLongPtrW(hwnd(), GWL_STYLE, static_cast<LONG_PTR>(style));
  if ((style & kReportNoHeader) && header_) {
    DestroyWindow(header_);
    header_ = nullptr;
  } else if (!(style & kReportNoHeader) && !header_) {
    CreateHeader();
  }
  UpdateRowHeight();
  UpdateLayout();
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void CReportCtrl::SetImageList(HIMAGELIST images) {
  images_ = images;
  if (header_) SendMessageW(header_, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
  RebuildHeader();
  UpdateRowHeight();
  Refresh();
}

void CReportCtrl::SetDpi(int dpi) {
  if (dpi == dpi_) return;
  model_.RescaleColumnWidths(dpi_, dpi);
  dpi_ = dpi;
  tip_->Hide();
  RebuildHeader();
  UpdateRowHeight();
  Refresh();
}

int CReportCtrl::TextMargin() const { return ScalePixels(4, dpi_); }

int CReportCtrl::ImageSize() const {
  int cx = 0;
  int cy = 0;
  if (images_ && ImageList_GetIconSize(images_, &cx, &cy)) return cx;
  return ScalePixels(16, dpi_);
}

void CReportCtrl::UpdateRowHeight() {
  int imageHeight = 0;
  if (images_) {
    int cx = 0;
    ImageList_GetIconSize(images_, &cx, &imageHeight);
  }
  rowHeight_ =
      ReportRowHeight(textHeight_, (ReportStyle() & kReportHorizontalGrid) != 0, imageHeight);
}

void CReportCtrl::Refresh() {
  if (!IsAlive()) return;
  UpdateLayout();
  InvalidateRect(hwnd(), nullptr, FALSE);
}

// Places the header and sets both scroll bars. Showing or hiding a bar changes the client
// area and sends WM_SIZE back here, which the flag turns away; two rounds settle both bars.
void CReportCtrl::UpdateLayout() {
  if (!IsAlive() || inLayout_) return;
  inLayout_ = true;
  for (int round = 0; round < 2; ++round) {
    ReportView view = View();
    int rows = model_.RowCount();
    topRow_ = std::clamp(topRow_, 0, MaxTopRow(view, rows));
    int total = model_.TotalWidth();
    scrollX_ = std::clamp(scrollX_, 0, std::max(total - view.client.width, 0));

    SCROLLINFO vertical{sizeof vertical,
                        SIF_RANGE | SIF_PAGE | SIF_POS,
                        0,
                        std::max(rows - 1, 0),
                        static_cast<UINT>(PageRows(view)),
                        topRow_,
                        0};
    if (rows <= PageRows(view)) vertical.nMax = 0, vertical.nPage = 0;
    SetScrollInfo(hwnd(), SB_VERT, &vertical, TRUE);
    SCROLLINFO horizontal{sizeof horizontal,
                          SIF_RANGE | SIF_PAGE | SIF_POS,
                          0,
                          std::max(total - 1, 0),
                          static_cast<UINT>(view.client.width),
                          scrollX_,
                          0};
    if (total <= view.client.width) horizontal.nMax = 0, horizontal.nPage = 0;
    SetScrollInfo(hwnd(), SB_HORZ, &horizontal, TRUE);
  }
  if (header_) {
    RECT client;
    GetClientRect(hwnd(), &client);
    RECT bounds{0, 0, 30000, 30000};
    WINDOWPOS pos{};
    HDLAYOUT layout{&bounds, &pos};
    SendMessageW(header_, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout));
    int width = std::max<int>(model_.TotalWidth(), client.right) + scrollX_;
    SetWindowPos(header_, nullptr, -scrollX_, 0, width, pos.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  inLayout_ = false;
}

void CReportCtrl::ScrollTo(int topRow, int scrollX) {
  ReportView view = View();
  topRow = std::clamp(topRow, 0, MaxTopRow(view, model_.RowCount()));
  scrollX = std::clamp(scrollX, 0, std::max(model_.TotalWidth() - view.client.width, 0));
  if (topRow == topRow_ && scrollX == scrollX_) return;
  topRow_ = topRow;
  scrollX_ = scrollX;
  if (tip_) tip_->Hide();
  UpdateLayout();
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void CReportCtrl::EnsureVisible(int row) {
  ScrollTo(TopRowShowing(View(), model_.RowCount(), row), scrollX_);
}

int CReportCtrl::InsertItem(int position, ReportRow row) {
  int at = model_.InsertRow(position, std::move(row));
  Refresh();
  return at;
}

bool CReportCtrl::SetCell(int row, int column, const ReportCell& cell) {
  ReportCell* target = model_.MutableCell(row, column);
  if (!target) return false;
  *target = cell;
  InvalidateRect(hwnd(), nullptr, FALSE);
  return true;
}

bool CReportCtrl::SetItemImage(int row, int column, int image) {
  ReportCell* target = model_.MutableCell(row, column);
  if (!target) return false;
  target->image = image;
  if (std::optional<RECT> r = GetItemRect(row, column)) InvalidateRect(hwnd(), &*r, FALSE);
  return true;
}

bool CReportCtrl::SetItemBold(int row, bool bold) {
  if (!model_.SetRowBold(row, bold)) return false;
  InvalidateRect(hwnd(), nullptr, FALSE);
  return true;
}

bool CReportCtrl::DeleteItem(int row) {
  if (!model_.Row(row)) return false;
  Notify(kReportItemDeleted, row, -1);
  model_.DeleteRow(row);
  Refresh();
  return true;
}

void CReportCtrl::DeleteAllItems() {
  for (int row = 0; row < model_.RowCount(); ++row) Notify(kReportItemDeleted, row, -1);
  model_.DeleteAllRows();
  topRow_ = 0;
  if (tip_) tip_->Hide();
  Refresh();
}

bool CReportCtrl::SelectItem(int row) {
  const int focusBefore = model_.FocusedRow();
  if (!model_.SelectOnly(row)) return model_.Row(row) != nullptr;
  AnnounceSelection(focusBefore, true);
  EnsureVisible(row);
  InvalidateRect(hwnd(), nullptr, FALSE);
  return true;
}

bool CReportCtrl::SelectAll() {
  model_.SelectAll();
  InvalidateRect(hwnd(), nullptr, FALSE);
  return model_.RowCount() > 0;
}

void CReportCtrl::SortItems(int column, bool ascending) {
  model_.Sort(column, ascending);
  RevealFocus();
}

void CReportCtrl::SortByHeaderClick(int column) {
  model_.SortByHeaderClick(column);
  RevealFocus();
}

void CReportCtrl::RevealFocus() {
  int focus = model_.FocusedRow();
  if (focus >= 0) EnsureVisible(focus);
  InvalidateRect(hwnd(), nullptr, FALSE);
}

ReportHit CReportCtrl::HitTest(POINT client) const {
  return postwink::HitTest(model_, View(), {client.x, client.y});
}

std::optional<RECT> CReportCtrl::GetItemRect(int row, int column) const {
  std::optional<Rect> r = CellRect(model_, View(), row, column);
  if (!r) return std::nullopt;
  return RECT{r->left, r->top, r->right, r->bottom};
}

LRESULT CReportCtrl::Notify(int code, int row, int column, POINT point, UINT key, UINT flags) {
  if (!IsAlive()) return 0;
  const uint32_t bit = 1u << ((code < 0 ? -code : code) % 32);
  if (!(notifyMask_ & bit)) return 0;
  NMREPORTVIEW nm{};
  nm.hdr.hwndFrom = hwnd();
  nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd()));
  nm.hdr.code = static_cast<UINT>(code);
  nm.row = row;
  nm.column = column;
  nm.point = point;
  nm.key = key;
  nm.flags = flags;
  if (const ReportRow* r = model_.Row(row)) nm.itemData = static_cast<LPARAM>(r->data);
  return SendMessageW(GetParent(hwnd()), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

// Asks the owner first, changes the selection, and tells it when something changed.
void CReportCtrl::ApplySelectionChange(const std::function<bool()>& change) {
  const int focusBefore = model_.FocusedRow();
  if (Notify(kReportSelectionChanging, focusBefore, -1) != 0) return;
  bool changed = change();
  AnnounceSelection(focusBefore, changed);
  RevealFocus();
  if (changed) Notify(kReportSelectionChanged, model_.FocusedRow(), -1);
}

void CReportCtrl::AnnounceSelection(int focusBefore, bool selectionChanged) {
  const int focus = model_.FocusedRow();
  if (focus >= 0 && focus != focusBefore && GetFocus() == hwnd()) {
    NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd(), OBJID_CLIENT, focus + 1);
  }
  if (!selectionChanged) return;
  const int selected = model_.SelectedCount();
  if (selected == 1) {
    NotifyWinEvent(EVENT_OBJECT_SELECTION, hwnd(), OBJID_CLIENT, model_.FirstSelected() + 1);
  } else {
    NotifyWinEvent(EVENT_OBJECT_SELECTIONWITHIN, hwnd(), OBJID_CLIENT, CHILDID_SELF);
  }
}

LRESULT CReportCtrl::OnGetObject(WPARAM wParam, LPARAM lParam) {
  if (static_cast<LONG>(lParam) != OBJID_CLIENT)
    return DefWindowProcW(hwnd(), WM_GETOBJECT, wParam, lParam);
  if (!accessible_) accessible_ = CreateReportAccessible(*this);
  if (!accessible_) return 0;
  return LresultFromObject(__uuidof(IAccessible), wParam, accessible_);
}

std::wstring CReportCtrl::RowsText() const { return Widen(RowsAsText(model_, emptyText_)); }

std::optional<LRESULT> CReportCtrl::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETFONT: {
      font_ = reinterpret_cast<HFONT>(wParam);
      LOGFONTW lf{};
      if (font_ && GetObjectW(font_, sizeof lf, &lf)) {
        lf.lfWeight = FW_BOLD;
        boldFont_.reset(CreateFontIndirectW(&lf));
      }
      HDC dc = GetDC(hwnd());
      HGDIOBJ old = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
      TEXTMETRICW tm{};
      GetTextMetricsW(dc, &tm);
      SelectObject(dc, old);
      ReleaseDC(hwnd(), dc);
      textHeight_ = tm.tmHeight;
      if (header_) SendMessageW(header_, WM_SETFONT, wParam, FALSE);
      UpdateRowHeight();
      UpdateLayout();
      if (LOWORD(lParam)) InvalidateRect(hwnd(), nullptr, TRUE);
      return 0;
    }
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_SIZE:
      UpdateLayout();
      InvalidateRect(hwnd(), nullptr, FALSE);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      Paint(dc, ps.rcPaint);
      EndPaint(hwnd(), &ps);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT client;
      GetClientRect(hwnd(), &client);
      Paint(reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    case WM_GETOBJECT:
      return OnGetObject(wParam, lParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (msg == WM_SETFOCUS && model_.FocusedRow() >= 0) {
        NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd(), OBJID_CLIENT, model_.FocusedRow() + 1);
      }
      if (msg == WM_KILLFOCUS && tip_) tip_->Hide();
      InvalidateRect(hwnd(), nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
      OnLeftButtonDown({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, static_cast<UINT>(wParam));
      return 0;
    case WM_LBUTTONDBLCLK: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ReportHit hit = HitTest(p);
      Notify(kReportItemDblClick, hit.row, hit.column, p, 0, static_cast<UINT>(wParam));
      return 0;
    }
    case WM_RBUTTONDOWN:
      OnRightButtonDown({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, static_cast<UINT>(wParam));
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, static_cast<UINT>(wParam));
      return 0;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      if (tip_) tip_->Hide();
      return 0;
    case WM_MOUSEWHEEL: {
      WheelScroll amount = wheel_.Add(GET_WHEEL_DELTA_WPARAM(wParam), wheelStep_);
      ScrollTo(topRow_ + amount.lines + amount.pages * PageRows(View()), scrollX_);
      return 0;
    }
    case WM_VSCROLL:
    case WM_HSCROLL: {
      bool vertical = msg == WM_VSCROLL;
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_ALL;
      GetScrollInfo(hwnd(), vertical ? SB_VERT : SB_HORZ, &info);
      int pos = info.nPos;
      int line = vertical ? 1 : ScalePixels(20, dpi_);
      int page = vertical ? PageRows(View()) : static_cast<int>(info.nPage);
      switch (LOWORD(wParam)) {
        case SB_LINEUP:
          pos -= line;
          break;
        case SB_LINEDOWN:
          pos += line;
          break;
        case SB_PAGEUP:
          pos -= page;
          break;
        case SB_PAGEDOWN:
          pos += page;
          break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
          pos = info.nTrackPos;
          break;
        case SB_TOP:
          pos = 0;
          break;
        case SB_BOTTOM:
          pos = info.nMax;
          break;
        default:
          break;
      }
      if (vertical) {
        ScrollTo(pos, scrollX_);
      } else {
        ScrollTo(topRow_, pos);
      }
      return 0;
    }
    case WM_KEYDOWN:
      if (OnKeyDown(static_cast<UINT>(wParam))) return 0;
      return std::nullopt;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header_ && header->hwndFrom == header_) {
        LRESULT result = 0;
        OnHeaderNotify(header, result);
        return result;
      }
      return 0;
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(RowsText().size());
    case WM_GETTEXT: {
      if (wParam == 0) return 0;
      std::wstring text = RowsText();
      size_t n = std::min<size_t>(text.size(), wParam - 1);
      auto* out = reinterpret_cast<wchar_t*>(lParam);
      text.copy(out, n);
      out[n] = L'\0';
      return static_cast<LRESULT>(n);
    }
    case RVM_GETITEMCOUNT:
      return model_.RowCount();
    case RVM_GETCELLRECT: {
      std::optional<RECT> r = GetItemRect(static_cast<int>(wParam), static_cast<int>(lParam));
      if (!r) return -1;
      auto word = [](LONG v) { return static_cast<uint64_t>(static_cast<uint16_t>(v)); };
      return static_cast<LRESULT>(word(r->left) | word(r->top) << 16 | word(r->right) << 32 |
                                  word(r->bottom) << 48);
    }
    case RVM_GETFONTHEIGHT: {
      LOGFONTW lf{};
      return font_ && GetObjectW(font_, sizeof lf, &lf) ? lf.lfHeight : 0;
    }
    case WM_DESTROY:
      if (tip_) tip_->Destroy();
      // A reader may hold the object longer than the window lives.
      if (accessible_) {
        DisconnectReportAccessible(accessible_);
        accessible_->Release();
        accessible_ = nullptr;
      }
      header_ = nullptr;
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

}  // namespace postwink::win
