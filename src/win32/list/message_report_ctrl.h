#pragma once
// MessageReportCtrl: the report control of the message list, whose remove and attachment cells
// act as buttons: pressed, they show their pressed image; released over the same row, they
// tell the list window.

#include "win32/controls/report_ctrl.h"

namespace postwink::win {

// Sent to the list window with the row in wParam.
inline constexpr UINT WM_LIST_REMOVE_ITEM = WM_APP + 0x21;
inline constexpr UINT WM_LIST_ATTACH_MENU = WM_APP + 0x22;

class MessageReportCtrl : public CReportCtrl {
 protected:
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  struct Pressed {
    int row = -1;
    int column = -1;
    uintptr_t data = 0;  // the row's item, to find it again after rows moved
  };
  void Press(POINT p);
  void Release(POINT p);
  // The pressed cell gets its normal image back if its row still exists.
  void Unpress();

  Pressed pressed_;
};

}  // namespace postwink::win
