// The header and the columns: their titles, widths and order, kept in the profile, and what
// the header's clicks and drags change. Apart from the rows, which the rest of the control serves.
#include "win32/controls/report_ctrl.h"

#include <commctrl.h>

#include <algorithm>

#include "win32/controls/script_text.h"
#include "win32/wide_text.h"

namespace postwink::win {

namespace {

constexpr int kHeaderId = 1;

}  // namespace

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

}  // namespace postwink::win
