#pragma once
// The report list control without its window: columns and their display order, rows of cells
// with their state, the colour table, selection by mouse and keyboard, sorting, and the
// column-state string that keeps the layout between runs. The window draws this model and turns
// the user's input into its calls.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ui/scale.h"

namespace postwink {

// Notification codes the control sends to its owner; a non-zero answer vetoes where noted.
inline constexpr int kReportItemClick = -2049;          // veto: no selection handling
inline constexpr int kReportItemDblClick = -2050;       // veto: nothing more is done
inline constexpr int kReportSelectionChanging = -2051;  // veto: the change is refused
inline constexpr int kReportSelectionChanged = -2052;
inline constexpr int kReportColumnClick = -2053;  // veto: no sorting
inline constexpr int kReportLayoutChanged = -2054;
inline constexpr int kReportItemDeleted = -2055;
inline constexpr int kReportHeaderNotify = -2058;
inline constexpr int kReportKeyDown = -2059;          // veto: the control ignores the key
inline constexpr int kReportDividerDblClick = -2060;  // veto: no automatic width
inline constexpr int kReportItemRClick = -2061;       // veto: the selection stays

// Style bits of the control (the low word of its window style).
inline constexpr uint32_t kReportShowSelAlways = 0x2;
inline constexpr uint32_t kReportShowSelAlwaysFocus = 0x4;
inline constexpr uint32_t kReportHorizontalGrid = 0x10;
inline constexpr uint32_t kReportVerticalGrid = 0x20;
inline constexpr uint32_t kReportNoHeader = 0x40;
inline constexpr uint32_t kReportCellTips = 0x2000;

inline constexpr const char* kReportDefaultEmptyText = "There are no items to show in this view.";

enum class ColumnAlign { kLeft, kCentre, kRight };

struct ReportColumn {
  ColumnAlign align = ColumnAlign::kLeft;
  int width = 0;
  int image = -1;  // header image, -1 for none
  std::string title;
  int maxWidth = 0;  // 0: no limit
};

struct ReportCell {
  std::string text;
  int textColour = -1;  // index into the colour table, -1 for the control's default
  int backColour = -1;
  int image = -1;
  int check = -1;
};

// Bits of ReportRow::state.
inline constexpr uint32_t kRowSelected = 0x1;
inline constexpr uint32_t kRowFocused = 0x2;
inline constexpr uint32_t kRowBold = 0x4;
inline constexpr uint32_t kRowAnchor = 0x8;  // where a Shift range starts

struct ReportRow {
  uint32_t state = 0;
  uintptr_t data = 0;             // the owner's item data
  std::vector<ReportCell> cells;  // one per defined column; missing cells read as empty

  bool Has(uint32_t bit) const { return (state & bit) != 0; }
  const ReportCell* CellAt(int column) const;
};

struct SortState {
  int column = -1;  // -1: not sorted
  bool ascending = true;
  friend bool operator==(const SortState&, const SortState&) = default;
};

// Compares two rows by a column: negative, 0 or positive.
using ReportCompare = std::function<int(const ReportRow& a, const ReportRow& b, int column)>;

enum class ReportKey { kSpace, kUp, kDown, kPageUp, kPageDown, kHome, kEnd };

class ReportModel {
 public:
  // Columns. index == ColumnCount() appends; a smaller index replaces that definition.
  bool DefineColumn(int index, ReportColumn column);
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  const ReportColumn* Column(int index) const;
  // Clamped to 0 and the column's maximum width.
  bool SetColumnWidth(int column, int width);
  bool SetColumnMaxWidth(int column, int maxWidth);
  // Shows a column at a display position (clamped to the end); a shown column moves there.
  bool ActivateColumn(int column, int position);
  bool DeactivateColumn(int column);
  // Column indices in display order.
  const std::vector<int>& ActiveColumns() const { return active_; }
  bool IsActive(int column) const;
  int TotalWidth() const;
  // The widths and maximum widths of a control moved from a monitor of one DPI to another.
  void RescaleColumnWidths(int fromDpi, int toDpi);

  // "(n,m)" followed by the n widths of the defined columns and the m shown columns in display
  // order, each after a blank. The widths are stored in design pixels, so that a list moved to
  // a monitor of another scale, or a program started on one, reads them back at the same size.
  std::string SaveColumnState(int dpi = kDesignDpi) const;
  // Accepted only when it describes exactly the defined columns, shows at least one, and every
  // shown column exists once; otherwise nothing changes and the result is false.
  bool RestoreColumnState(std::string_view text, int dpi = kDesignDpi);

  // The colour table; setting an index beyond the end grows it.
  void SetColour(int index, uint32_t colour);
  std::optional<uint32_t> Colour(int index) const;
  int ColourCount() const { return static_cast<int>(colours_.size()); }

  // Rows.
  int RowCount() const { return static_cast<int>(rows_.size()); }
  void ReserveRows(size_t count) { rows_.reserve(count); }
  // Inserts at position (clamped to the end); returns the position. Selection, focus and
  // anchor bits given in the row are dropped.
  int InsertRow(int position, ReportRow row);
  bool DeleteRow(int row);
  void DeleteAllRows();
  const ReportRow* Row(int row) const;
  ReportRow* Row(int row);
  const ReportCell* Cell(int row, int column) const;
  // A missing cell of a defined column is created.
  ReportCell* MutableCell(int row, int column);
  bool SetRowBold(int row, bool bold);

  // Selection. The operations return whether the selection or the focus changed.
  int FirstSelected() const;
  int NextSelected(int after) const;
  std::vector<int> SelectedRows() const;
  int SelectedCount() const;
  int FocusedRow() const;
  int AnchorRow() const;
  // A left click on a row (-1: below the rows). Alone: that row alone; Shift: the range from
  // the anchor; Ctrl: toggles the row; Ctrl+Shift: adds the range. The clicked row takes the
  // focus and, except with Shift alone, becomes the anchor.
  bool Click(int row, bool shift, bool ctrl);
  // A right click selects the row alone unless Shift or Ctrl is held.
  bool RightClick(int row, bool shift, bool ctrl);
  // Moves the focus row; pageRows is how many rows the view shows.
  bool Key(ReportKey key, bool shift, bool ctrl, int pageRows);
  bool SelectOnly(int row);
  bool SelectAll();

  // Sorting: an in-place quicksort with the middle row as pivot, not stable. The selection,
  // focus and anchor stay with their rows.
  void SetCompare(ReportCompare compare) { compare_ = std::move(compare); }
  void Sort(int column, bool ascending);
  // A click on a column header: ascending for a new column, else the other direction.
  void SortByHeaderClick(int column);
  SortState Sorting() const { return sort_; }

 private:
  bool ValidRow(int row) const { return row >= 0 && row < RowCount(); }
  bool ValidColumn(int column) const { return column >= 0 && column < ColumnCount(); }
  uint32_t SelectionSignature() const;
  void SetBitOnly(uint32_t bit, int row);
  void SelectRange(int from, int to, bool keepOthers);
  void QuickSort(std::vector<uint32_t>& order, int low, int high, int column, bool ascending);

  std::vector<ReportColumn> columns_;
  std::vector<int> active_;
  std::vector<uint32_t> colours_;
  std::vector<ReportRow> rows_;
  ReportCompare compare_;
  SortState sort_;
};

// The rows as text for tools outside the program: one line per row (CR LF), a mark of its state
// ("B" bold, "S" selected, "F" focused, "-" none), then its cells in display order after tabs; an
// image cell without text reads "<image>". With no rows, the empty-list text.
std::string RowsAsText(const ReportModel& model, std::string_view emptyText);

}  // namespace postwink
