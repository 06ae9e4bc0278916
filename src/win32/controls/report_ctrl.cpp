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

constexpr int kHeaderId = 1;

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

UINT ModifierFlags() {
  UINT flags = 0;
  if (GetKeyState(VK_SHIFT) < 0) flags |= MK_SHIFT;
  if (GetKeyState(VK_CONTROL) < 0) flags |= MK_CONTROL;
  return flags;
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

void CReportCtrl::CreateHeader() {
  header_ = CreateWindowExW(
      0, WC_HEADERW, L"", WS_CHILD | WS_VISIBLE | HDS_BUTTONS | HDS_HORZ, 0, 0, 0, 0, hwnd(),
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kHeaderId)), ProgramInstance(), nullptr);
  if (!header_) return;
  if (font_) SendMessageW(header_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  if (images_) SendMessageW(header_, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));
  RebuildHeader();
}

int CReportCtrl::HeaderHeight() const {
  if (!header_) return 0;
  RECT r;
  GetWindowRect(header_, &r);
  return r.bottom - r.top;
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

void CReportCtrl::RebuildHeader() {
  if (!header_) return;
  while (SendMessageW(header_, HDM_DELETEITEM, 0, 0)) {
  }
  int position = 0;
  for (int column : model_.ActiveColumns()) {
    const ReportColumn& c = *model_.Column(column);
    std::wstring title = Widen(c.title);
    HDITEMW item{};
    item.mask = HDI_FORMAT | HDI_WIDTH | HDI_TEXT | HDI_LPARAM;
    item.cxy = c.width;
    item.pszText = title.data();
    item.lParam = column;
    item.fmt = c.align == ColumnAlign::kCentre  ? HDF_CENTER
               : c.align == ColumnAlign::kRight ? HDF_RIGHT
                                                : HDF_LEFT;
    if (c.image >= 0 && images_) {
      // An image column shows its picture alone; the title stays for tools that read it.
      item.mask |= HDI_IMAGE;
      item.fmt |= HDF_IMAGE;
      item.iImage = c.image;
    } else {
      item.fmt |= HDF_STRING;
    }
    SendMessageW(header_, HDM_INSERTITEMW, position++, reinterpret_cast<LPARAM>(&item));
  }
}

bool CReportCtrl::DefineColumn(int index, const ReportColumn& column) {
  if (!model_.DefineColumn(index, column)) return false;
  RebuildHeader();
  return true;
}

bool CReportCtrl::ActivateColumn(int column, int position) {
  if (!model_.ActivateColumn(column, position)) return false;
  RebuildHeader();
  Refresh();
  return true;
}

void CReportCtrl::SetColumnMaxWidth(int column, int maxWidth) {
  model_.SetColumnMaxWidth(column, maxWidth);
  RebuildHeader();
  Refresh();
}

bool CReportCtrl::SaveState(Profile& profile, const char* section, const char* key) const {
  return profile.WriteString(section, key, model_.SaveColumnState(dpi_));
}

bool CReportCtrl::RestoreState(const Profile& profile, const char* section, const char* key) {
  std::optional<std::string> text = profile.GetString(section, key);
  if (!text || !model_.RestoreColumnState(*text, dpi_)) return false;
  RebuildHeader();
  Refresh();
  return true;
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

void CReportCtrl::OnLeftButtonDown(POINT p, UINT keys) {
  SetFocus(hwnd());
  ReportHit hit = HitTest(p);
  if (Notify(kReportItemClick, hit.row, hit.column, p, 0, keys) != 0) return;
  bool shift = keys & MK_SHIFT;
  bool ctrl = keys & MK_CONTROL;
  ApplySelectionChange([&] { return model_.Click(hit.row, shift, ctrl); });
}

void CReportCtrl::OnRightButtonDown(POINT p, UINT keys) {
  SetFocus(hwnd());
  ReportHit hit = HitTest(p);
  if (Notify(kReportItemRClick, hit.row, hit.column, p, 0, keys) != 0) return;
  bool shift = keys & MK_SHIFT;
  bool ctrl = keys & MK_CONTROL;
  if (shift || ctrl || hit.row < 0) return;
  ApplySelectionChange([&] { return model_.RightClick(hit.row, shift, ctrl); });
}

bool CReportCtrl::OnKeyDown(UINT key) {
  UINT flags = ModifierFlags();
  if (Notify(kReportKeyDown, model_.FocusedRow(), -1, {}, key, flags) != 0) return true;
  bool shift = flags & MK_SHIFT;
  bool ctrl = flags & MK_CONTROL;
  std::optional<ReportKey> move;
  switch (key) {
    case VK_SPACE:
      move = ReportKey::kSpace;
      break;
    case VK_UP:
      move = ReportKey::kUp;
      break;
    case VK_DOWN:
      move = ReportKey::kDown;
      break;
    case VK_PRIOR:
      move = ReportKey::kPageUp;
      break;
    case VK_NEXT:
      move = ReportKey::kPageDown;
      break;
    case VK_HOME:
      move = ReportKey::kHome;
      break;
    case VK_END:
      move = ReportKey::kEnd;
      break;
    case VK_LEFT:
      ScrollTo(topRow_, scrollX_ - ScalePixels(20, dpi_));
      return true;
    case VK_RIGHT:
      ScrollTo(topRow_, scrollX_ + ScalePixels(20, dpi_));
      return true;
    default:
      return false;
  }
  int page = PageRows(View());
  ApplySelectionChange([&] { return model_.Key(*move, shift, ctrl, page); });
  return true;
}

void CReportCtrl::AutoSizeColumn(int column) {
  const ReportColumn* c = model_.Column(column);
  if (!c || model_.RowCount() == 0) return;
  HDC dc = GetDC(hwnd());
  int widest = 0;
  for (int row = 0; row < model_.RowCount(); ++row) {
    const ReportRow& r = *model_.Row(row);
    const ReportCell* cell = r.CellAt(column);
    if (!cell) continue;
    int width = cell->image >= 0 && images_ ? ImageSize() + TextMargin() : 0;
    if (!cell->text.empty()) {
      std::wstring text = Widen(cell->text);
      HGDIOBJ old = SelectObject(dc, r.Has(kRowBold) && boldFont_ ? boldFont_.get() : font_);
      width += MeasureLine(dc, text).cx;
      SelectObject(dc, old);
    }
    widest = std::max(widest, width);
  }
  ReleaseDC(hwnd(), dc);
  model_.SetColumnWidth(column, widest + 2 * TextMargin());
  RebuildHeader();
  Notify(kReportLayoutChanged, -1, column);
  Refresh();
}

void CReportCtrl::OnHeaderNotify(NMHDR* header, LRESULT& result) {
  auto* nm = reinterpret_cast<NMHEADERW*>(header);
  auto columnOf = [&](int position) {
    const std::vector<int>& active = model_.ActiveColumns();
    return position >= 0 && position < static_cast<int>(active.size())
               ? active[static_cast<size_t>(position)]
               : -1;
  };
  // Only the header's own notifications are passed on, not its drawing.
  if (static_cast<int>(header->code) > static_cast<int>(HDN_FIRST) ||
      static_cast<int>(header->code) < static_cast<int>(HDN_LAST)) {
    result = 0;
    return;
  }
  int column = columnOf(nm->iItem);
  Notify(kReportHeaderNotify, -1, column, {}, 0, header->code);
  switch (header->code) {
    case HDN_ITEMCLICKW:
      if (column >= 0 && Notify(kReportColumnClick, -1, column) == 0) SortByHeaderClick(column);
      break;
    case HDN_DIVIDERDBLCLICKW:
      if (column >= 0 && Notify(kReportDividerDblClick, -1, column) == 0) AutoSizeColumn(column);
      break;
    case HDN_ITEMCHANGEDW:
      if (column >= 0 && nm->pitem && (nm->pitem->mask & HDI_WIDTH)) {
        int before = model_.Column(column)->width;
        model_.SetColumnWidth(column, nm->pitem->cxy);
        int after = model_.Column(column)->width;
        if (after != nm->pitem->cxy) {
          // Held at the column's maximum: the header follows.
          HDITEMW item{};
          item.mask = HDI_WIDTH;
          item.cxy = after;
          SendMessageW(header_, HDM_SETITEMW, static_cast<WPARAM>(nm->iItem),
                       reinterpret_cast<LPARAM>(&item));
        }
        if (after != before) {
          Notify(kReportLayoutChanged, -1, column);
          Refresh();
        }
      }
      break;
    default:
      break;
  }
  result = 0;
}

void CReportCtrl::OnMouseMove(POINT p, UINT keys) {
  if (!trackingLeave_) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
    trackingLeave_ = TrackMouseEvent(&track) != FALSE;
  }
  if (!tip_) return;
  bool wanted = tipsEnabled_ && (ReportStyle() & kReportCellTips) &&
                (keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && GetFocus() != nullptr;
  ReportHit hit = HitTest(p);
  const ReportCell* cell = wanted ? model_.Cell(hit.row, hit.column) : nullptr;
  std::optional<RECT> rect = cell ? GetItemRect(hit.row, hit.column) : std::nullopt;
  if (!cell || cell->text.empty() || !rect) {
    tip_->Hide();
    return;
  }
  std::wstring text = Widen(cell->text);
  bool bold = model_.Row(hit.row)->Has(kRowBold);
  HFONT font = bold && boldFont_ ? static_cast<HFONT>(boldFont_.get()) : font_;
  std::wstring firstLine = text.substr(0, text.find(L'\r'));
  HDC dc = GetDC(hwnd());
  HGDIOBJ old = SelectObject(dc, font);
  const SIZE size = MeasureLine(dc, firstLine);
  SelectObject(dc, old);
  ReleaseDC(hwnd(), dc);
  int space = rect->right - rect->left - 2 * TextMargin();
  if (cell->image >= 0 && images_) space -= ImageSize() + TextMargin();
  bool multiLine = firstLine.size() != text.size();
  if (!multiLine && !CellNeedsTip({size.cx, size.cy}, {space, rect->bottom - rect->top})) {
    tip_->Hide();
    return;
  }
  if (tip_->Visible() && tip_->Text() == text) return;
  RECT screen = *rect;
  MapWindowPoints(hwnd(), nullptr, reinterpret_cast<POINT*>(&screen), 2);
  tip_->Show(screen, std::move(text), font, WorkAreaOrPrimary(), dpi_);
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
