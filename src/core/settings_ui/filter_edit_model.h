#pragma once
// The state of FilterEditDialog ("フィルタ追加／編集"): the controls' values for one rule, which
// controls are enabled, and what OK stores.

#include <cstdint>
#include <optional>
#include <string>

#include "core/config/settings.h"
#include "core/filter/filter_rule.h"

namespace postwink {

struct FilterEditState {
  int target = kFilterTargetSubject;  // radio index 0-3; -1 when no button is checked
  int action = kFilterActionHidden;   // radio index 0-2; -1 when no button is checked
  std::string headerName;
  std::string pattern;
  bool useRegex = false;
  int whenAbsent = 0;  // 0 "ある時", 1 "ない時"
  uint32_t textColour = 0;
  uint32_t backColour = 0;
  int colourSlot = kFilterSlotAll;  // the combo's index; -1 when nothing is selected
};

// The record the page hands the editor for a new rule: every field -1.
FilterRule NewFilterRuleRecord();
// The controls for a rule; a new rule (action -1) starts at Subject, hidden, when present,
// the Subject text colour (ST2_RGB) on the list background (BG_RGB), all colours.
FilterEditState OpenFilterEdit(const FilterRule& rule, const Settings& settings);

struct FilterEditEnabling {
  bool headerName;  // only for "その他："
  bool colours;     // the slot, the two colour buttons and their labels: only for "特殊色表示"
  bool regex;       // only with a regular-expression facility
};
FilterEditEnabling FilterEditEnablingOf(const FilterEditState& state, bool regexAvailable);

// OK: the message that keeps the dialog open, or nothing when the rule was stored. A new rule
// record is cleared first; the header name is kept whatever the target, createdMark is left,
// and a button group with nothing checked keeps the rule's value.
std::optional<std::string> ConfirmFilterEdit(const FilterEditState& state, FilterRule& rule);

}  // namespace postwink
