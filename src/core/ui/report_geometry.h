#pragma once
// Where the report control's rows and cells lie: row height, the rows in view, hit-testing,
// cell rectangles, scrolling by keys and by the mouse wheel. The window asks here and only
// draws.

#include <optional>
#include <string_view>

#include "core/ui/geometry.h"
#include "core/ui/report_model.h"

namespace postwink {

// Text height + 2, one more with horizontal grid lines, and at least the image height + 1.
int ReportRowHeight(int textHeight, bool horizontalGrid, int imageHeight);

// The view's state as the window knows it.
struct ReportView {
  int headerHeight = 0;  // 0 without a header
  int rowHeight = 1;
  int topRow = 0;   // first row in view
  int scrollX = 0;  // pixels scrolled to the right
  Size client;      // the control's client area
};

// Rows that fit wholly below the header (at least 1).
int PageRows(const ReportView& view);
// The first and one past the last row that show at least in part.
struct RowSpan {
  int first = 0;
  int end = 0;
};
RowSpan VisibleRows(const ReportView& view, int rowCount);
// Largest useful first row: the last page is full when there are enough rows.
int MaxTopRow(const ReportView& view, int rowCount);
// The first row that brings row into view with the least scrolling.
int TopRowShowing(const ReportView& view, int rowCount, int row);

struct ReportHit {
  int row = -1;     // -1 when not on a row
  int column = -1;  // column index (not position), -1 when right of the last column
  bool onHeader = false;
};
ReportHit HitTest(const ReportModel& model, const ReportView& view, Point p);
// In client coordinates; none for a row or column that is not there or not shown.
std::optional<Rect> CellRect(const ReportModel& model, const ReportView& view, int row, int column);
// Left edge of a shown column in content coordinates (before scrolling).
std::optional<int> ColumnLeft(const ReportModel& model, int column);

// A cell's tip: needed when the text (measured up to its first line end) is wider or taller
// than the space the cell gives it.
bool CellNeedsTip(Size measured, Size space);
// The tip of size over the cell, moved left when it would cross the work area's right edge
// (but not past its left edge).
Rect PlaceCellTip(Rect cell, Size tip, Rect workArea);

// The wheel step from the registry value "WheelScrollLines": its decimal number, -1 for a
// page at a time (also written as the unsigned 4294967295), 3 when missing or not a number.
int WheelStepFromSetting(std::optional<std::string_view> value);
// What the wheel scrolls. Positive numbers scroll down (towards later rows); a forward turn
// gives a positive delta.
struct WheelScroll {
  int lines = 0;
  int pages = 0;
};
// A high-resolution wheel or a touchpad sends deltas far below a notch (120): what does not make
// a whole line (or a page, with a step of -1) yet is carried to the next message, until the
// direction or the step changes.
class WheelAccumulator {
 public:
  WheelScroll Add(int delta, int step);

 private:
  int step_ = 0;
  int carried_ = 0;  // delta × lines per notch (or delta alone for pages) not yet scrolled
};

}  // namespace postwink
