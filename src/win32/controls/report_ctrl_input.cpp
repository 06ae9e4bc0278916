// Mouse and keyboard: clicks and keys become selection changes, asked of the owner first, and
// the pointer over a cut-off cell brings up its tip.
#include "win32/controls/report_ctrl.h"

#include <commctrl.h>

#include "core/ui/scale.h"
#include "win32/controls/report_tip.h"
#include "win32/controls/script_text.h"
#include "win32/list/work_area.h"
#include "win32/wide_text.h"

namespace postwink::win {

namespace {

UINT ModifierFlags() {
  UINT flags = 0;
  if (GetKeyState(VK_SHIFT) < 0) flags |= MK_SHIFT;
  if (GetKeyState(VK_CONTROL) < 0) flags |= MK_CONTROL;
  return flags;
}

}  // namespace

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

}  // namespace postwink::win
