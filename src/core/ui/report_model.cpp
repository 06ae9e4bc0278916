#include "core/ui/report_model.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace postwink {

const ReportCell* ReportRow::CellAt(int column) const {
  if (column < 0 || column >= static_cast<int>(cells.size())) return nullptr;
  return &cells[static_cast<size_t>(column)];
}

bool ReportModel::DefineColumn(int index, ReportColumn column) {
  if (index < 0 || index > ColumnCount()) return false;
  column.width = std::max(column.width, 0);
  if (index == ColumnCount()) {
    columns_.push_back(std::move(column));
  } else {
    columns_[static_cast<size_t>(index)] = std::move(column);
  }
  return true;
}

const ReportColumn* ReportModel::Column(int index) const {
  return ValidColumn(index) ? &columns_[static_cast<size_t>(index)] : nullptr;
}

bool ReportModel::SetColumnWidth(int column, int width) {
  if (!ValidColumn(column)) return false;
  ReportColumn& c = columns_[static_cast<size_t>(column)];
  width = std::max(width, 0);
  if (c.maxWidth > 0) width = std::min(width, c.maxWidth);
  c.width = width;
  return true;
}

bool ReportModel::SetColumnMaxWidth(int column, int maxWidth) {
  if (!ValidColumn(column)) return false;
  ReportColumn& c = columns_[static_cast<size_t>(column)];
  c.maxWidth = std::max(maxWidth, 0);
  return SetColumnWidth(column, c.width);
}

bool ReportModel::ActivateColumn(int column, int position) {
  if (!ValidColumn(column)) return false;
  DeactivateColumn(column);
  position = std::clamp(position, 0, static_cast<int>(active_.size()));
  active_.insert(active_.begin() + position, column);
  return true;
}

bool ReportModel::DeactivateColumn(int column) {
  auto it = std::find(active_.begin(), active_.end(), column);
  if (it == active_.end()) return false;
  active_.erase(it);
  return true;
}

bool ReportModel::IsActive(int column) const {
  return std::find(active_.begin(), active_.end(), column) != active_.end();
}

int ReportModel::TotalWidth() const {
  int total = 0;
  for (int column : active_) total += columns_[static_cast<size_t>(column)].width;
  return total;
}

void ReportModel::RescaleColumnWidths(int fromDpi, int toDpi) {
  for (ReportColumn& c : columns_) {
    c.width = RescalePixels(c.width, fromDpi, toDpi);
    c.maxWidth = RescalePixels(c.maxWidth, fromDpi, toDpi);
  }
}

std::string ReportModel::SaveColumnState(int dpi) const {
  char piece[32];
  std::snprintf(piece, sizeof piece, "(%d,%d)", ColumnCount(), static_cast<int>(active_.size()));
  std::string text = piece;
  for (const ReportColumn& c : columns_) {
    std::snprintf(piece, sizeof piece, " %d", RescalePixels(c.width, dpi, kDesignDpi));
    text += piece;
  }
  for (int column : active_) {
    std::snprintf(piece, sizeof piece, " %d", column);
    text += piece;
  }
  return text;
}

namespace {

// Reads a decimal integer after optional blanks; advances pos past it.
std::optional<int> ReadNumber(std::string_view text, size_t& pos) {
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
    negative = text[pos] == '-';
    ++pos;
  }
  size_t start = pos;
  long long value = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos] - '0');
    if (value > 1000000000) return std::nullopt;
    ++pos;
  }
  if (pos == start) return std::nullopt;
  return static_cast<int>(negative ? -value : value);
}

bool Expect(std::string_view text, size_t& pos, char c) {
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  if (pos >= text.size() || text[pos] != c) return false;
  ++pos;
  return true;
}

}  // namespace

bool ReportModel::RestoreColumnState(std::string_view text, int dpi) {
  size_t pos = 0;
  if (!Expect(text, pos, '(')) return false;
  std::optional<int> n = ReadNumber(text, pos);
  if (!n || !Expect(text, pos, ',')) return false;
  std::optional<int> m = ReadNumber(text, pos);
  if (!m || !Expect(text, pos, ')')) return false;
  if (*n != ColumnCount() || *m <= 0 || *m > *n) return false;
  std::vector<int> widths;
  for (int i = 0; i < *n; ++i) {
    std::optional<int> width = ReadNumber(text, pos);
    if (!width || *width < 0) return false;
    widths.push_back(*width);
  }
  std::vector<int> order;
  for (int i = 0; i < *m; ++i) {
    std::optional<int> column = ReadNumber(text, pos);
    if (!column || !ValidColumn(*column)) return false;
    if (std::find(order.begin(), order.end(), *column) != order.end()) return false;
    order.push_back(*column);
  }
  for (int i = 0; i < *n; ++i) {
    SetColumnWidth(i, RescalePixels(widths[static_cast<size_t>(i)], kDesignDpi, dpi));
  }
  active_ = std::move(order);
  return true;
}

void ReportModel::SetColour(int index, uint32_t colour) {
  if (index < 0) return;
  if (index >= ColourCount()) colours_.resize(static_cast<size_t>(index) + 1, 0);
  colours_[static_cast<size_t>(index)] = colour;
}

std::optional<uint32_t> ReportModel::Colour(int index) const {
  if (index < 0 || index >= ColourCount()) return std::nullopt;
  return colours_[static_cast<size_t>(index)];
}

int ReportModel::InsertRow(int position, ReportRow row) {
  position = std::clamp(position, 0, RowCount());
  row.state &= ~(kRowSelected | kRowFocused | kRowAnchor);
  rows_.insert(rows_.begin() + position, std::move(row));
  return position;
}

bool ReportModel::DeleteRow(int row) {
  if (!ValidRow(row)) return false;
  rows_.erase(rows_.begin() + row);
  return true;
}

void ReportModel::DeleteAllRows() { rows_.clear(); }

const ReportRow* ReportModel::Row(int row) const {
  return ValidRow(row) ? &rows_[static_cast<size_t>(row)] : nullptr;
}

ReportRow* ReportModel::Row(int row) {
  return ValidRow(row) ? &rows_[static_cast<size_t>(row)] : nullptr;
}

const ReportCell* ReportModel::Cell(int row, int column) const {
  const ReportRow* r = Row(row);
  return r ? r->CellAt(column) : nullptr;
}

ReportCell* ReportModel::MutableCell(int row, int column) {
  ReportRow* r = Row(row);
  if (!r || !ValidColumn(column)) return nullptr;
  if (static_cast<int>(r->cells.size()) <= column) r->cells.resize(static_cast<size_t>(column) + 1);
  return &r->cells[static_cast<size_t>(column)];
}

bool ReportModel::SetRowBold(int row, bool bold) {
  ReportRow* r = Row(row);
  if (!r) return false;
  r->state = bold ? (r->state | kRowBold) : (r->state & ~kRowBold);
  return true;
}

int ReportModel::FirstSelected() const { return NextSelected(-1); }

int ReportModel::NextSelected(int after) const {
  for (int i = std::max(after + 1, 0); i < RowCount(); ++i) {
    if (rows_[static_cast<size_t>(i)].Has(kRowSelected)) return i;
  }
  return -1;
}

std::vector<int> ReportModel::SelectedRows() const {
  std::vector<int> rows;
  for (int i = FirstSelected(); i >= 0; i = NextSelected(i)) rows.push_back(i);
  return rows;
}

int ReportModel::SelectedCount() const {
  return static_cast<int>(std::count_if(rows_.begin(), rows_.end(),
                                        [](const ReportRow& r) { return r.Has(kRowSelected); }));
}

int ReportModel::FocusedRow() const {
  for (int i = 0; i < RowCount(); ++i) {
    if (rows_[static_cast<size_t>(i)].Has(kRowFocused)) return i;
  }
  return -1;
}

int ReportModel::AnchorRow() const {
  for (int i = 0; i < RowCount(); ++i) {
    if (rows_[static_cast<size_t>(i)].Has(kRowAnchor)) return i;
  }
  return -1;
}

// A cheap fingerprint of the selection and focus, to tell callers whether anything changed.
uint32_t ReportModel::SelectionSignature() const {
  uint32_t hash = 2166136261u;
  for (int i = 0; i < RowCount(); ++i) {
    uint32_t bits = rows_[static_cast<size_t>(i)].state & (kRowSelected | kRowFocused);
    if (bits == 0) continue;
    hash = (hash ^ static_cast<uint32_t>(i) ^ (bits << 28)) * 16777619u;
  }
  return hash;
}

void ReportModel::SetBitOnly(uint32_t bit, int row) {
  for (int i = 0; i < RowCount(); ++i) {
    ReportRow& r = rows_[static_cast<size_t>(i)];
    r.state = i == row ? (r.state | bit) : (r.state & ~bit);
  }
}

void ReportModel::SelectRange(int from, int to, bool keepOthers) {
  if (from > to) std::swap(from, to);
  for (int i = 0; i < RowCount(); ++i) {
    ReportRow& r = rows_[static_cast<size_t>(i)];
    if (i >= from && i <= to) {
      r.state |= kRowSelected;
    } else if (!keepOthers) {
      r.state &= ~kRowSelected;
    }
  }
}

bool ReportModel::Click(int row, bool shift, bool ctrl) {
  uint32_t before = SelectionSignature();
  if (!ValidRow(row)) {
    // Below the rows: a plain click clears the selection; with keys held nothing happens.
    if (!shift && !ctrl) SetBitOnly(kRowSelected, -1);
    return SelectionSignature() != before;
  }
  int anchor = AnchorRow();
  if (anchor < 0) anchor = row;
  if (shift && !ctrl) {
    SelectRange(anchor, row, false);
    SetBitOnly(kRowAnchor, anchor);
  } else if (shift && ctrl) {
    SelectRange(anchor, row, true);
    SetBitOnly(kRowAnchor, row);
  } else if (ctrl) {
    rows_[static_cast<size_t>(row)].state ^= kRowSelected;
    SetBitOnly(kRowAnchor, row);
  } else {
    SetBitOnly(kRowSelected, row);
    SetBitOnly(kRowAnchor, row);
  }
  SetBitOnly(kRowFocused, row);
  return SelectionSignature() != before;
}

bool ReportModel::RightClick(int row, bool shift, bool ctrl) {
  if (shift || ctrl || !ValidRow(row)) return false;
  return Click(row, false, false);
}

bool ReportModel::Key(ReportKey key, bool shift, bool ctrl, int pageRows) {
  if (rows_.empty()) return false;
  uint32_t before = SelectionSignature();
  int last = RowCount() - 1;
  int focus = FocusedRow();
  int page = std::max(pageRows, 1);
  int target = focus < 0 ? 0 : focus;
  switch (key) {
    case ReportKey::kSpace:
      break;
    case ReportKey::kUp:
      target = focus < 0 ? 0 : focus - 1;
      break;
    case ReportKey::kDown:
      target = focus < 0 ? 0 : focus + 1;
      break;
    case ReportKey::kPageUp:
      target -= page;
      break;
    case ReportKey::kPageDown:
      target += page;
      break;
    case ReportKey::kHome:
      target = 0;
      break;
    case ReportKey::kEnd:
      target = last;
      break;
  }
  target = std::clamp(target, 0, last);
  SetBitOnly(kRowFocused, target);
  if (key == ReportKey::kSpace && ctrl) {
    rows_[static_cast<size_t>(target)].state ^= kRowSelected;
    SetBitOnly(kRowAnchor, target);
  } else if (shift) {
    int anchor = AnchorRow();
    if (anchor < 0) anchor = focus < 0 ? target : focus;
    SelectRange(anchor, target, ctrl);
    SetBitOnly(kRowAnchor, anchor);
  } else if (!ctrl) {
    SetBitOnly(kRowSelected, target);
    SetBitOnly(kRowAnchor, target);
  }
  // Ctrl with a move key moves the focus alone.
  return SelectionSignature() != before;
}

bool ReportModel::SelectOnly(int row) {
  if (!ValidRow(row)) return false;
  uint32_t before = SelectionSignature();
  SetBitOnly(kRowSelected, row);
  SetBitOnly(kRowFocused, row);
  SetBitOnly(kRowAnchor, row);
  return SelectionSignature() != before;
}

bool ReportModel::SelectAll() {
  uint32_t before = SelectionSignature();
  for (ReportRow& r : rows_) r.state |= kRowSelected;
  return SelectionSignature() != before;
}

void ReportModel::Sort(int column, bool ascending) {
  if (!ValidColumn(column)) return;
  sort_ = {column, ascending};
  if (!compare_ || rows_.size() < 2) return;
  // The order is sorted as indices so that the pivot row stays where it is while the indices
  // move; the rows are moved into their places once at the end.
  std::vector<uint32_t> order(rows_.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<uint32_t>(i);
  QuickSort(order, 0, RowCount() - 1, column, ascending);
  std::vector<ReportRow> sorted;
  sorted.reserve(rows_.size());
  for (uint32_t index : order) sorted.push_back(std::move(rows_[index]));
  rows_ = std::move(sorted);
}

void ReportModel::QuickSort(std::vector<uint32_t>& order, int low, int high, int column,
                            bool ascending) {
  auto compare = [&](uint32_t a, uint32_t b) {
    int result = compare_(rows_[a], rows_[b], column);
    return ascending ? result : -result;
  };
  // Recursing into the smaller part and looping over the larger keeps the depth logarithmic.
  while (low < high) {
    uint32_t pivot = order[static_cast<size_t>(low + (high - low) / 2)];
    int i = low;
    int j = high;
    while (i <= j) {
      // The bounds hold even for a comparison that is not a consistent order.
      while (i < high && compare(order[static_cast<size_t>(i)], pivot) < 0) ++i;
      while (j > low && compare(order[static_cast<size_t>(j)], pivot) > 0) --j;
      if (i <= j) {
        std::swap(order[static_cast<size_t>(i)], order[static_cast<size_t>(j)]);
        ++i;
        --j;
      }
    }
    if (j - low < high - i) {
      if (low < j) QuickSort(order, low, j, column, ascending);
      low = i;
    } else {
      if (i < high) QuickSort(order, i, high, column, ascending);
      high = j;
    }
  }
}

void ReportModel::SortByHeaderClick(int column) {
  bool ascending = sort_.column == column ? !sort_.ascending : true;
  Sort(column, ascending);
}

std::string RowsAsText(const ReportModel& model, std::string_view emptyText) {
  if (model.RowCount() == 0) return std::string(emptyText);
  std::string out;
  for (int row = 0; row < model.RowCount(); ++row) {
    const ReportRow& r = *model.Row(row);
    std::string mark;
    if (r.Has(kRowBold)) mark += 'B';
    if (r.Has(kRowSelected)) mark += 'S';
    if (r.Has(kRowFocused)) mark += 'F';
    out += mark.empty() ? "-" : mark;
    for (int column : model.ActiveColumns()) {
      out += '\t';
      const ReportCell* cell = r.CellAt(column);
      if (!cell) continue;
      if (!cell->text.empty()) {
        out += cell->text;
      } else if (cell->image >= 0) {
        out += "<" + std::to_string(cell->image) + ">";
      }
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace postwink
