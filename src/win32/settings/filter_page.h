#pragma once
// CPropertyPage4 ("フィルター"): the filter rules in priority order, added and edited with
// FilterEditDialog, deleted and moved; a copy until Apply.

#include <memory>
#include <vector>

#include "core/settings_ui/filter_page_model.h"
#include "win32/settings/settings_page.h"

namespace postwink::win {

class FilterPage : public SettingsPage {
 public:
  FilterPage(int position, SheetContext& context);

  const FilterPageModel* Model() const { return model_.get(); }

 protected:
  void OnInit() override;
  bool Apply() override;
  std::optional<LRESULT> OnPageMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  // The list's commands; the page is marked modified by whatever the model counts as a change.
  std::optional<LRESULT> OnCommand(UINT msg, WPARAM wParam, LPARAM lParam);
  void FillRows();
  void SetRow(int row, bool insert);
  std::vector<int> SelectedRows() const;
  void Select(int row);
  void OnAdd();
  void OnEdit();
  void OnDelete();
  void OnMove(bool up);

  std::unique_ptr<FilterPageModel> model_;
};

}  // namespace postwink::win
