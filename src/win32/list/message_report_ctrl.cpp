#include "win32/list/message_report_ctrl.h"

#include <windowsx.h>

#include "core/list/list_rows.h"

namespace postwink::win {

void MessageReportCtrl::Press(POINT p) {
  ReportHit hit = HitTest(p);
  const ReportCell* cell = Model().Cell(hit.row, hit.column);
  if (!cell) return;
  int pressedImage = -1;
  if (hit.column == kColumnTrash) {
    pressedImage = kImageRemovePressed;
  } else if (hit.column == kColumnAttachment && cell->image == kImageAttachment) {
    pressedImage = kImageAttachmentPressed;
  }
  if (pressedImage < 0) return;
  pressed_ = {hit.row, hit.column, Model().Row(hit.row)->data};
  SetItemImage(hit.row, hit.column, pressedImage);
  UpdateWindow(hwnd());
  SetCapture(hwnd());
}

void MessageReportCtrl::Unpress() {
  Pressed pressed = pressed_;
  pressed_ = {};
  if (pressed.row < 0) return;
  for (int row = 0; row < Model().RowCount(); ++row) {
    if (Model().Row(row)->data != pressed.data) continue;
    SetItemImage(row, pressed.column,
                 pressed.column == kColumnTrash ? kImageRemove : kImageAttachment);
    return;
  }
}

void MessageReportCtrl::Release(POINT p) {
  Pressed pressed = pressed_;
  if (pressed.row < 0) return;
  if (GetCapture() == hwnd()) ReleaseCapture();
  ReportHit hit = HitTest(p);
  // The image comes back first: the window may remove the row or open a menu now.
  Unpress();
  if (hit.row != pressed.row) return;
  UINT message = pressed.column == kColumnTrash ? WM_LIST_REMOVE_ITEM : WM_LIST_ATTACH_MENU;
  SendMessageW(GetParent(hwnd()), message, static_cast<WPARAM>(pressed.row), 0);
}

std::optional<LRESULT> MessageReportCtrl::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_LBUTTONDOWN:
      Press({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      break;
    case WM_LBUTTONUP:
      Release({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd()) Unpress();
      return 0;
    default:
      break;
  }
  return CReportCtrl::OnMessage(msg, wParam, lParam);
}

}  // namespace postwink::win
