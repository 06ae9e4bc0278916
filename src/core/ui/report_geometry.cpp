#include "core/ui/report_geometry.h"

#include <algorithm>

namespace postwink {

int ReportRowHeight(int textHeight, bool horizontalGrid, int imageHeight) {
  int height = textHeight + 2 + (horizontalGrid ? 1 : 0);
  return std::max(height, imageHeight + 1);
}

int PageRows(const ReportView& view) {
  int rowHeight = std::max(view.rowHeight, 1);
  return std::max((view.client.height - view.headerHeight) / rowHeight, 1);
}

RowSpan VisibleRows(const ReportView& view, int rowCount) {
  int rowHeight = std::max(view.rowHeight, 1);
  int space = std::max(view.client.height - view.headerHeight, 0);
  int first = std::clamp(view.topRow, 0, std::max(rowCount, 0));
  int shown = (space + rowHeight - 1) / rowHeight;
  return {first, std::min(rowCount, first + shown)};
}

int MaxTopRow(const ReportView& view, int rowCount) {
  return std::max(rowCount - PageRows(view), 0);
}

int TopRowShowing(const ReportView& view, int rowCount, int row) {
  int top = std::clamp(view.topRow, 0, MaxTopRow(view, rowCount));
  if (row < 0 || row >= rowCount) return top;
  if (row < top) return row;
  int page = PageRows(view);
  if (row >= top + page) return std::min(row - page + 1, MaxTopRow(view, rowCount));
  return top;
}

std::optional<int> ColumnLeft(const ReportModel& model, int column) {
  int x = 0;
  for (int c : model.ActiveColumns()) {
    if (c == column) return x;
    x += model.Column(c)->width;
  }
  return std::nullopt;
}

ReportHit HitTest(const ReportModel& model, const ReportView& view, Point p) {
  ReportHit hit;
  if (p.x < 0 || p.y < 0 || p.x >= view.client.width || p.y >= view.client.height) return hit;
  int x = p.x + view.scrollX;
  int left = 0;
  for (int c : model.ActiveColumns()) {
    int width = model.Column(c)->width;
    if (x >= left && x < left + width) {
      hit.column = c;
      break;
    }
    left += width;
  }
  if (p.y < view.headerHeight) {
    hit.onHeader = true;
    return hit;
  }
  int row = view.topRow + (p.y - view.headerHeight) / std::max(view.rowHeight, 1);
  if (row >= 0 && row < model.RowCount()) hit.row = row;
  return hit;
}

std::optional<Rect> CellRect(const ReportModel& model, const ReportView& view, int row,
                             int column) {
  if (row < 0 || row >= model.RowCount()) return std::nullopt;
  std::optional<int> left = ColumnLeft(model, column);
  if (!left) return std::nullopt;
  int top = view.headerHeight + (row - view.topRow) * view.rowHeight;
  int x = *left - view.scrollX;
  return Rect{x, top, x + model.Column(column)->width, top + view.rowHeight};
}

bool CellNeedsTip(Size measured, Size space) {
  return measured.width > space.width || measured.height > space.height;
}

Rect PlaceCellTip(Rect cell, Size tip, Rect work) {
  Rect r{cell.left, cell.top, cell.left + tip.width, cell.top + tip.height};
  if (r.right > work.right) r = r.Offset(work.right - r.right, 0);
  if (r.left < work.left) r = r.Offset(work.left - r.left, 0);
  return r;
}

int WheelStepFromSetting(std::optional<std::string_view> value) {
  constexpr int kDefault = 3;
  if (!value) return kDefault;
  std::string_view text = *value;
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text == "-1" || text == "4294967295") return -1;
  if (text.empty() || text.size() > 4) return kDefault;
  int step = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return kDefault;
    step = step * 10 + (c - '0');
  }
  return step;
}

WheelScroll WheelAccumulator::Add(int delta, int step) {
  constexpr int kNotch = 120;
  const int64_t scaled = step == -1 ? delta : static_cast<int64_t>(delta) * step;
  if (step != step_ || (carried_ < 0) != (scaled < 0)) carried_ = 0;
  step_ = step;
  // A hostile delta times a large step stays in range: the carry is always under a notch.
  const int64_t total = carried_ + scaled;
  const int whole = static_cast<int>(total / kNotch);
  carried_ = static_cast<int>(total % kNotch);
  if (step == -1) return {0, -whole};
  return {-whole, 0};
}

}  // namespace postwink
