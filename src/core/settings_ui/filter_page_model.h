#pragma once
// The filter page ("フィルター") without its window: a copy of the filter table, edited row by
// row, handed back on Apply.

#include <optional>
#include <string>
#include <vector>

#include "core/filter/filter_rule.h"

namespace postwink {

struct FilterRowTexts {
  std::string header;   // "ヘッダ": From, To, Subject or the header name
  std::string control;  // "表示制御": 削除, 非表示 or 特殊色
  std::string pattern;  // "検索文字列"
};
FilterRowTexts FilterRowTextsOf(const FilterRule& rule);

class FilterPageModel {
 public:
  explicit FilterPageModel(const FilterTable& table) : table_(table) {}

  const std::vector<FilterRule>& Rules() const { return table_.rules; }
  bool Modified() const { return modified_; }
  // Every command that reaches the editor or changes the list marks the page modified, also an
  // add or edit whose editor was cancelled.
  void MarkModified() { modified_ = true; }

  // "追加" with the list full: the limit message, and no editor.
  std::optional<std::string> AddRefusal() const;
  // A rule from the editor: appended, marked as made on this page.
  void Add(FilterRule rule);
  void Replace(int row, FilterRule rule);
  // Removes the rows, keeping the others in order.
  void Delete(std::vector<int> rows);
  // Swaps the row with its neighbour; the row to select afterwards, or nothing when it cannot
  // move.
  std::optional<int> MoveUp(int row);
  std::optional<int> MoveDown(int row);
  // Apply: the global table becomes the page's copy.
  void ApplyTo(FilterTable& table) const { table = table_; }

 private:
  FilterTable table_;
  bool modified_ = false;
};

}  // namespace postwink
