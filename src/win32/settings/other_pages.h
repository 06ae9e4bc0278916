#pragma once
// CPropertyPage5 ("その他"): sound, hot key, editor, mail program and the start-up checks; and
// CPropertyPageA ("Advance"), which exists only while ADVANCE is set.

#include "win32/settings/settings_page.h"

namespace postwink::win {

class OtherPage : public SettingsPage {
 public:
  OtherPage(int position, SheetContext& context);

 protected:
  void OnInit() override;
  bool Apply() override;
  std::optional<LRESULT> OnPageMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  // Lets the user pick a file for the field; filter is a pair of texts ("name", "pattern").
  void Browse(int field, const wchar_t* filter);
  // Writes or removes the Run key's entry; a failure is shown and the box shows the key again.
  void ApplyStartWithWindows();
};

class AdvancePage : public SettingsPage {
 public:
  AdvancePage(int position, SheetContext& context);

 protected:
  void OnInit() override;
  bool Apply() override;
};

}  // namespace postwink::win
