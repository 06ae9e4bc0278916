#include "core/ui/report_accessible.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

// The message list's shape: a picture column, four texts, a picture column.
ReportModel MessageLikeModel() {
  ReportModel model;
  for (const char* title : {"Importance", "MailBox", "From", "Subject", "Received", "Trash"}) {
    ReportColumn column;
    column.title = title;
    model.DefineColumn(model.ColumnCount(), column);
    model.ActivateColumn(model.ColumnCount() - 1, model.ColumnCount());
  }
  auto add = [&](std::vector<std::string> texts, bool bold) {
    ReportRow row;
    if (bold) row.state |= kRowBold;
    for (std::string& text : texts) {
      ReportCell cell;
      cell.text = std::move(text);
      row.cells.push_back(cell);
    }
    row.cells[0].image = 6;
    return model.InsertRow(model.RowCount(), std::move(row));
  };
  add({"", "Box", "Alice", "Hello", "2024/05/01 10:00", ""}, true);
  // A missing subject cell and no trailing cells at all.
  add({"", "Work", "Bob", ""}, false);
  return model;
}

TEST(ReportAccessible, RowsAreNamedByTheirShownTexts) {
  ReportModel model = MessageLikeModel();
  EXPECT_EQ(RowAccessibleName(model, 0), "Box, Alice, Hello, 2024/05/01 10:00");
  EXPECT_EQ(RowAccessibleName(model, 1), "Work, Bob");
  EXPECT_EQ(RowAccessibleDescription(model, 0), std::string(kAccessibleUnread));
  EXPECT_EQ(RowAccessibleDescription(model, 1), std::string(kAccessibleRead));
  // The user's column order and hidden columns, as the list draws them.
  model.ActivateColumn(3, 1);
  model.DeactivateColumn(4);
  EXPECT_EQ(RowAccessibleName(model, 0), "Hello, Box, Alice");
  // A row that is not there (a reader asking after a deletion) has no name and reads as read.
  for (int row : {-1, 2, 1000}) {
    EXPECT_EQ(RowAccessibleName(model, row), "") << row;
    EXPECT_EQ(RowAccessibleDescription(model, row), std::string(kAccessibleRead)) << row;
  }
}

TEST(ReportAccessible, NavigationStaysInsideTheRows) {
  using enum AccessibleNav;
  struct Case {
    int rows, from;
    AccessibleNav nav;
    int expected;
  } cases[] = {
      {3, 0, kFirstChild, 1}, {3, 0, kLastChild, 3},   {3, 1, kNext, 2},
      {3, 3, kNext, -1},      {3, 2, kPrevious, 1},    {3, 1, kPrevious, -1},
      {3, 0, kNext, -1},      {3, 2, kFirstChild, -1}, {0, 0, kFirstChild, -1},
      {0, 0, kLastChild, -1}, {3, 4, kPrevious, -1},   {3, -1, kNext, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NavigateRows(c.rows, c.from, c.nav), c.expected)
        << c.rows << " rows, from " << c.from << ", nav " << static_cast<int>(c.nav);
  }
}

}  // namespace
}  // namespace postwink
