#include "core/settings_ui/filter_page_model.h"

#include <algorithm>
#include <cstdio>

#include "core/settings_ui/settings_ui_texts.h"

namespace postwink {

FilterRowTexts FilterRowTextsOf(const FilterRule& rule) {
  FilterRowTexts row;
  switch (rule.target) {
    case kFilterTargetFrom:
      row.header = "From";
      break;
    case kFilterTargetTo:
      row.header = "To";
      break;
    case kFilterTargetHeader:
      row.header = rule.headerName;
      break;
    default:
      row.header = "Subject";
      break;
  }
  switch (rule.action) {
    case kFilterActionSpam:
      row.control = texts::kFilterRowSpam;
      break;
    case kFilterActionHidden:
      row.control = texts::kFilterRowHidden;
      break;
    default:
      row.control = texts::kFilterRowColours;
      break;
  }
  row.pattern = rule.pattern;
  return row;
}

std::optional<std::string> FilterPageModel::AddRefusal() const {
  if (table_.rules.size() < static_cast<size_t>(kMaxFilterRules)) return std::nullopt;
  char message[96];
  std::snprintf(message, sizeof message, texts::kFilterLimit, kMaxFilterRules);
  return std::string(message);
}

void FilterPageModel::Add(FilterRule rule) {
  if (AddRefusal()) return;
  rule.createdMark = 1;
  table_.rules.push_back(std::move(rule));
  modified_ = true;
}

void FilterPageModel::Replace(int row, FilterRule rule) {
  if (row < 0 || row >= static_cast<int>(table_.rules.size())) return;
  table_.rules[static_cast<size_t>(row)] = std::move(rule);
  modified_ = true;
}

void FilterPageModel::Delete(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    if (*it < 0 || *it >= static_cast<int>(table_.rules.size())) continue;
    table_.rules.erase(table_.rules.begin() + *it);
    modified_ = true;
  }
}

std::optional<int> FilterPageModel::MoveUp(int row) {
  if (row <= 0 || row >= static_cast<int>(table_.rules.size())) return std::nullopt;
  std::swap(table_.rules[static_cast<size_t>(row)], table_.rules[static_cast<size_t>(row - 1)]);
  modified_ = true;
  return row - 1;
}

std::optional<int> FilterPageModel::MoveDown(int row) {
  if (row < 0 || row + 1 >= static_cast<int>(table_.rules.size())) return std::nullopt;
  std::swap(table_.rules[static_cast<size_t>(row)], table_.rules[static_cast<size_t>(row + 1)]);
  modified_ = true;
  return row + 1;
}

}  // namespace postwink
