#pragma once
// The About box: the program's version from its version resource and a link to its home page.

#include "win32/wnd.h"

namespace postwink::win {

inline constexpr const wchar_t* kHomePage = L"https://postwink.example/";

class AboutBox : public Wnd {
 public:
  bool CreateModeless(HWND owner);
  void RunModal(HWND owner);

 protected:
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  bool modal_ = false;
};

}  // namespace postwink::win
