#pragma once
// AttachmentDialog: asks what to do with an attachment written into the temporary folder: open
// it with the program the system associates with it, save it elsewhere, or leave it.

#include <string>

#include "win32/wnd.h"

namespace postwink::win {

class AttachmentDialog : public Wnd {
 public:
  // path: the extracted file.
  explicit AttachmentDialog(std::string path) : path_(std::move(path)) {}

  // Modal over owner; returns the button that closed it (IDOK open, IDC_ATTACH_SAVE, IDCANCEL).
  INT_PTR Run(HWND owner);

 protected:
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Open();
  void Save();

  std::string path_;
};

}  // namespace postwink::win
