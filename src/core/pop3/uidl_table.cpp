#include "core/pop3/uidl_table.h"

#include <climits>

namespace postwink {

int ReadReplyNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT_MAX) {
      value = static_cast<long long>(INT_MAX) + (negative ? 1 : 0);
      break;
    }
  }
  return static_cast<int>(negative ? -value : value);
}

void UidlTable::Clear() {
  entries_.clear();
  entries_.shrink_to_fit();
  byId_.clear();
  byNumber_.clear();
  bytes_ = 0;
  indexed_ = false;
}

void UidlTable::Add(std::string_view line) {
  Entry entry;
  entry.number = ReadReplyNumber(line);
  size_t space = line.find(' ');
  if (space != std::string_view::npos) entry.uniqueId.emplace(line.substr(space + 1));
  bytes_ += line.size() + sizeof(Entry);
  entries_.push_back(std::move(entry));
  indexed_ = false;
}

void UidlTable::BuildIndex() {
  byId_.clear();
  byNumber_.clear();
  byId_.reserve(entries_.size());
  byNumber_.reserve(entries_.size());
  for (const Entry& e : entries_) {
    if (!e.uniqueId) continue;
    byId_.emplace(*e.uniqueId, e.number);  // the first line wins
    byNumber_.emplace(e.number, &*e.uniqueId);
  }
  indexed_ = true;
}

std::optional<int> UidlTable::NumberOf(std::string_view uniqueId) {
  if (!indexed_) BuildIndex();
  auto it = byId_.find(uniqueId);
  if (it == byId_.end()) return std::nullopt;
  return it->second;
}

const std::string* UidlTable::UniqueIdOf(int number) {
  if (!indexed_) BuildIndex();
  auto it = byNumber_.find(number);
  return it == byNumber_.end() ? nullptr : it->second;
}

}  // namespace postwink
