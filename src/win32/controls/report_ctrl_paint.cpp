// Drawing of the report control: only the rows in view, into a memory bitmap, so that a long
// list scrolls without flicker.
#include "win32/controls/report_ctrl.h"

#include <commctrl.h>

#include "core/ui/scale.h"
#include "win32/controls/script_text.h"
#include "win32/wide_text.h"

namespace postwink::win {

namespace {

void FillSolid(HDC dc, const RECT& r, COLORREF colour) {
  SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

}  // namespace

COLORREF CReportCtrl::ColourOr(int index, COLORREF fallback) const {
  std::optional<uint32_t> colour = model_.Colour(index);
  return colour ? static_cast<COLORREF>(*colour) : fallback;
}

void CReportCtrl::Paint(HDC target, const RECT& area) const {
  RECT client;
  GetClientRect(hwnd(), &client);
  if (client.right <= 0 || client.bottom <= 0) return;
  HDC dc = CreateCompatibleDC(target);
  GdiHandle bitmap(CreateCompatibleBitmap(target, client.right, client.bottom));
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap.get());
  HGDIOBJ oldFont = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  FillSolid(dc, client, backgroundColour_);
  SetBkMode(dc, TRANSPARENT);

  const int header = HeaderHeight();
  if (model_.RowCount() == 0) {
    PaintEmptyText(dc, client.right);
  } else {
    RowSpan rows = VisibleRows(View(), model_.RowCount());
    for (int row = rows.first; row < rows.end; ++row) {
      PaintRow(dc, row, header + (row - topRow_) * rowHeight_, client.right);
    }
  }
  // The header covers the top; only the rows' part is copied.
  BitBlt(target, area.left, std::max<int>(area.top, header), area.right - area.left,
         area.bottom - std::max<int>(area.top, header), dc, area.left,
         std::max<int>(area.top, header), SRCCOPY);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  DeleteDC(dc);
}

void CReportCtrl::PaintRow(HDC dc, int row, int top, int width) const {
  const ReportRow& r = *model_.Row(row);
  const bool focused = GetFocus() == hwnd();
  const DWORD style = ReportStyle();
  const bool showSelected =
      r.Has(kRowSelected) &&
      (focused || (style & (kReportShowSelAlways | kReportShowSelAlwaysFocus)) != 0);
  const COLORREF defaultText = GetSysColor(COLOR_WINDOWTEXT);
  HGDIOBJ oldFont = nullptr;
  if (r.Has(kRowBold) && boldFont_) oldFont = SelectObject(dc, boldFont_.get());

  int x = -scrollX_;
  const COLORREF grid = ColourOr(0, GetSysColor(COLOR_BTNFACE));
  for (int column : model_.ActiveColumns()) {
    const ReportColumn& c = *model_.Column(column);
    RECT cell{x, top, x + c.width, top + rowHeight_};
    x += c.width;
    if (cell.right <= 0 || cell.left >= width) continue;
    const ReportCell* data = r.CellAt(column);
    COLORREF back = ColourOr(data ? data->backColour : -1, backgroundColour_);
    if (showSelected) {
      // Without the focus, style 0x4 keeps the selection colour; 0x2 alone shows it in the
      // colour table's entry 2.
      back = focused || (style & kReportShowSelAlwaysFocus) ? selectionColour_
                                                            : ColourOr(2, selectionColour_);
    }
    FillSolid(dc, cell, back);
    if (!data) continue;
    RECT inner = cell;
    if (data->image >= 0 && images_) {
      int imageY = top + (rowHeight_ - ImageSize()) / 2;
      int imageX = cell.left + TextMargin() / 2;
      // An image alone in a centred column sits in the middle of its cell.
      if (data->text.empty() && c.align == ColumnAlign::kCentre) {
        imageX = cell.left + (c.width - ImageSize()) / 2;
      }
      ImageList_Draw(images_, data->image, dc, imageX, imageY, ILD_TRANSPARENT);
      inner.left = imageX + ImageSize();
    }
    if (!data->text.empty()) {
      std::wstring text = Widen(data->text);
      SetTextColor(dc, ColourOr(data->textColour, defaultText));
      RECT textRect{inner.left + TextMargin(), inner.top, inner.right - TextMargin(), inner.bottom};
      TextAlign align = c.align == ColumnAlign::kCentre  ? TextAlign::kCentre
                        : c.align == ColumnAlign::kRight ? TextAlign::kRight
                                                         : TextAlign::kLeft;
      DrawLineInRect(dc, text, textRect, align);
    }
  }
  HPEN pen = CreatePen(PS_SOLID, 1, grid);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  if (style & kReportHorizontalGrid) {
    MoveToEx(dc, 0, top + rowHeight_ - 1, nullptr);
    LineTo(dc, std::min(x, width), top + rowHeight_ - 1);
  }
  if (style & kReportVerticalGrid) {
    int edge = -scrollX_;
    for (int column : model_.ActiveColumns()) {
      edge += model_.Column(column)->width;
      MoveToEx(dc, edge - 1, top, nullptr);
      LineTo(dc, edge - 1, top + rowHeight_);
    }
  }
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  if (focused && r.Has(kRowFocused)) {
    // A dotted frame in the colour table's entry 3.
    HPEN dots = CreatePen(PS_DOT, 1, ColourOr(3, defaultText));
    HGDIOBJ oldDots = SelectObject(dc, dots);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, -scrollX_, top, std::min(x, width), top + rowHeight_);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldDots);
    DeleteObject(dots);
  }
  if (oldFont) SelectObject(dc, oldFont);
}

void CReportCtrl::PaintEmptyText(HDC dc, int width) const {
  std::wstring text = Widen(emptyText_);
  const int top = HeaderHeight();
  RECT r{TextMargin(), top, width - TextMargin(), top + rowHeight_};
  SetTextColor(dc, ColourOr(1, GetSysColor(COLOR_GRAYTEXT)));
  DrawLineInRect(dc, text, r, TextAlign::kCentre);
}

}  // namespace postwink::win
