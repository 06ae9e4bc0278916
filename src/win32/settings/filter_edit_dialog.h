#pragma once
// FilterEditDialog ("フィルタ追加／編集"): the modal dialog that edits one filter rule.

#include "core/config/settings.h"
#include "core/filter/filter_rule.h"
#include "core/settings_ui/filter_edit_model.h"
#include "win32/controls/colour_button.h"
#include "win32/controls/pp_tooltip.h"
#include "win32/wnd.h"

namespace postwink::win {

class FilterEditDialog : public Wnd {
 public:
  // rule: a copy of the rule to edit, or NewFilterRuleRecord() for a new one.
  FilterEditDialog(FilterRule rule, const Settings& settings, bool regexAvailable = true);

  // True when the dialog was closed with OK; Rule() then holds the edited rule.
  bool RunModal(HWND owner);
  const FilterRule& Rule() const { return rule_; }
  const CPPTooltip& Tooltip() const { return tooltip_; }

 protected:
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnInit();
  FilterEditState ReadControls() const;
  void UpdateEnabling();
  void OnOk();

  FilterRule rule_;
  const Settings& settings_;
  bool regexAvailable_;
  CColorButton textColour_;
  CColorButton backColour_;
  CPPTooltip tooltip_;
};

}  // namespace postwink::win
