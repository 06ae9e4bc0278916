#include "core/settings_ui/filter_edit_model.h"

#include "core/filter/regex_facility.h"
#include "core/settings_ui/settings_ui_texts.h"
#include "core/text/utf8.h"

namespace postwink {
namespace {

int RadioIndex(int32_t value, int count) { return value >= 0 && value < count ? value : -1; }

}  // namespace

FilterRule NewFilterRuleRecord() {
  FilterRule rule;
  rule.target = rule.action = rule.colourSlot = -1;
  rule.backColour = rule.textColour = 0xFFFFFFFF;
  rule.createdMark = rule.useRegex = rule.whenAbsent = -1;
  return rule;
}

FilterEditState OpenFilterEdit(const FilterRule& rule, const Settings& settings) {
  FilterEditState state;
  if (rule.action == -1) {
    state.textColour = static_cast<uint32_t>(settings.st2Rgb);
    state.backColour = static_cast<uint32_t>(settings.bgRgb);
    return state;
  }
  state.target = RadioIndex(rule.target, 4);
  state.action = RadioIndex(rule.action, 3);
  state.headerName = rule.headerName;
  state.pattern = rule.pattern;
  state.useRegex = rule.useRegex == 1;
  state.whenAbsent = rule.whenAbsent == 1 ? 1 : 0;
  state.textColour = rule.textColour;
  state.backColour = rule.backColour;
  state.colourSlot = RadioIndex(rule.colourSlot, 4);
  return state;
}

FilterEditEnabling FilterEditEnablingOf(const FilterEditState& state, bool regexAvailable) {
  return {state.target == kFilterTargetHeader, state.action == kFilterActionColours,
          regexAvailable};
}

std::optional<std::string> ConfirmFilterEdit(const FilterEditState& state, FilterRule& rule) {
  if (state.pattern.empty()) return std::string(texts::kNoSearchString);
  // A rule whose expression cannot be compiled would never apply, without a word to say why.
  if (state.useRegex) {
    if (std::optional<std::string> error = RegexPatternError(state.pattern)) {
      return std::string(texts::kInvalidRegex) + "\n" + *error;
    }
  }
  if (rule.action == -1) rule = FilterRule();
  rule.pattern = std::string(CutToChars(state.pattern, kMaxFilterText));
  if (state.target >= 0) rule.target = state.target;
  if (state.action >= 0) rule.action = state.action;
  rule.backColour = state.backColour;
  rule.textColour = state.textColour;
  rule.whenAbsent = state.whenAbsent;
  rule.useRegex = state.useRegex ? 1 : 0;
  if (state.colourSlot >= 0) rule.colourSlot = state.colourSlot;
  rule.headerName = std::string(CutToChars(state.headerName, kMaxFilterText));
  return std::nullopt;
}

}  // namespace postwink
