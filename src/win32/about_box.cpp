#include "about_box.h"

#include "win32/platform/windows_headers.h"
#include "win32/resource.h"
#include "win32/version_info.h"
#include "win32/wide_text.h"

namespace postwink::win {

bool AboutBox::CreateModeless(HWND owner) {
  modal_ = false;
  if (!CreateModelessDialog(IDD_ABOUTBOX, owner)) return false;
  ShowWindow(hwnd(), SW_SHOW);
  return true;
}

void AboutBox::RunModal(HWND owner) {
  modal_ = true;
  RunModalDialog(IDD_ABOUTBOX, owner);
}

std::optional<LRESULT> AboutBox::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      SetDlgItemTextW(hwnd(), IDC_VERSION_TEXT,
                      Widen("Postwink version :" + ReadVersionString("ProductVersion")).c_str());
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        if (modal_) {
          EndDialog(hwnd(), LOWORD(wParam));
        } else {
          DestroyWindow(hwnd());
        }
        return 0;
      }
      return std::nullopt;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->idFrom == IDC_HOMEPAGE &&
          (header->code == NM_CLICK || header->code == NM_RETURN)) {
        ShellExecuteW(hwnd(), L"open", kHomePage, nullptr, nullptr, SW_SHOWNORMAL);
        return 0;
      }
      return std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace postwink::win
