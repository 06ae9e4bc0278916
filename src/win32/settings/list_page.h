#pragma once
// CPropertyPage3 ("メッセージ一覧"): where and how the message list appears, its grid and
// headings, when it closes by itself, and the preview.

#include "core/settings_ui/list_page_model.h"
#include "win32/settings/settings_page.h"

namespace postwink::win {

class ListPage : public SettingsPage {
 public:
  ListPage(int position, SheetContext& context);

 protected:
  void OnInit() override;
  bool Validate() override;
  bool Apply() override;
  std::optional<LRESULT> OnPageMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  // The buttons' state; the number fields keep the settings' values.
  ListPageValues ReadButtons() const;
  void UpdateEnabling();
};

}  // namespace postwink::win
