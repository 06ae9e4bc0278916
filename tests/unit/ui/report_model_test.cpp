#include "core/ui/report_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace postwink {
namespace {

ReportModel ModelWithRows(int rows, int columns = 2) {
  ReportModel model;
  for (int c = 0; c < columns; ++c) {
    ReportColumn column;
    column.width = 50 + c;
    column.title = "C" + std::to_string(c);
    model.DefineColumn(c, column);
    model.ActivateColumn(c, c);
  }
  for (int r = 0; r < rows; ++r) {
    ReportRow row;
    row.data = static_cast<uintptr_t>(r);
    row.cells.resize(static_cast<size_t>(columns));
    row.cells[0].text = std::to_string(r);
    model.InsertRow(model.RowCount(), row);
  }
  return model;
}

// The selection as a string: "s" selected, "f" focused, "a" anchor, "." none, per row.
std::string Marks(const ReportModel& model) {
  std::string out;
  for (int r = 0; r < model.RowCount(); ++r) {
    const ReportRow& row = *model.Row(r);
    std::string mark;
    if (row.Has(kRowSelected)) mark += 's';
    if (row.Has(kRowFocused)) mark += 'f';
    if (row.Has(kRowAnchor)) mark += 'a';
    out += (mark.empty() ? "." : mark) + " ";
  }
  out.pop_back();
  return out;
}

struct Click {
  int row;
  bool shift;
  bool ctrl;
  bool right = false;
};

TEST(ReportModel, SelectionSequences) {
  struct Case {
    const char* what;
    std::vector<Click> clicks;
    const char* marks;
  };
  const Case cases[] = {
      {"a click selects one row", {{2, false, false}}, ". . sfa . ."},
      {"a second click moves it", {{2, false, false}, {4, false, false}}, ". . . . sfa"},
      {"shift selects from the anchor, which stays",
       {{1, false, false}, {3, true, false}},
       ". sa s sf ."},
      {"shift again re-ranges from the same anchor",
       {{2, false, false}, {4, true, false}, {0, true, false}},
       "sf s sa . ."},
      {"ctrl toggles and takes the anchor",
       {{1, false, false}, {3, false, true}, {1, false, true}},
       ". fa . s ."},
      {"ctrl+shift adds the range and moves the anchor",
       {{0, false, false}, {2, false, true}, {4, true, true}},
       "s . s s sfa"},
      {"shift without an anchor starts at the row", {{3, true, false}}, ". . . sfa ."},
      {"a right click selects alone",
       {{0, false, false}, {1, true, false}, {3, false, false, true}},
       ". . . sfa ."},
      {"a right click with shift or ctrl changes nothing",
       {{0, false, false}, {2, false, true, true}, {3, true, false, true}},
       "sfa . . . ."},
      {"a click below the rows clears the selection",
       {{1, false, false}, {-1, false, false}},
       ". fa . . ."},
  };
  for (const Case& c : cases) {
    ReportModel model = ModelWithRows(5);
    for (const Click& click : c.clicks) {
      if (click.right) {
        model.RightClick(click.row, click.shift, click.ctrl);
      } else {
        model.Click(click.row, click.shift, click.ctrl);
      }
    }
    EXPECT_EQ(Marks(model), c.marks) << c.what;
  }
}

TEST(ReportModel, ClicksReportWhetherAnythingChanged) {
  ReportModel model = ModelWithRows(3);
  EXPECT_TRUE(model.Click(1, false, false));
  EXPECT_FALSE(model.Click(1, false, false));
  EXPECT_FALSE(model.RightClick(1, false, false));
  EXPECT_TRUE(model.Click(1, false, true));  // deselects
  EXPECT_EQ(model.FirstSelected(), -1);
  EXPECT_EQ(model.FocusedRow(), 1);
}

TEST(ReportModel, KeyboardMoves) {
  struct Step {
    ReportKey key;
    bool shift;
    bool ctrl;
  };
  struct Case {
    const char* what;
    int start;  // clicked first, -1 for none
    std::vector<Step> keys;
    const char* marks;
  };
  const Case cases[] = {
      {"down from nothing takes the first row",
       -1,
       {{ReportKey::kDown, false, false}},
       "sfa . . . . . . . . ."},
      {"down and up",
       2,
       {{ReportKey::kDown, false, false},
        {ReportKey::kDown, false, false},
        {ReportKey::kUp, false, false}},
       ". . . sfa . . . . . ."},
      {"up stops at the top", 0, {{ReportKey::kUp, false, false}}, "sfa . . . . . . . . ."},
      {"page down by the page size",
       1,
       {{ReportKey::kPageDown, false, false}},
       ". . . . sfa . . . . ."},
      {"page down stops at the end",
       8,
       {{ReportKey::kPageDown, false, false}},
       ". . . . . . . . . sfa"},
      {"end and home",
       4,
       {{ReportKey::kEnd, false, false}, {ReportKey::kHome, false, false}},
       "sfa . . . . . . . . ."},
      {"shift extends from the anchor",
       3,
       {{ReportKey::kDown, true, false}, {ReportKey::kDown, true, false}},
       ". . . sa s sf . . . ."},
      {"ctrl moves the focus alone",
       3,
       {{ReportKey::kDown, false, true}, {ReportKey::kDown, false, true}},
       ". . . sa . f . . . ."},
      {"ctrl+space toggles the focused row",
       3,
       {{ReportKey::kDown, false, true}, {ReportKey::kSpace, false, true}},
       ". . . s sfa . . . . ."},
      {"space selects the focused row alone",
       3,
       {{ReportKey::kDown, false, true}, {ReportKey::kSpace, false, false}},
       ". . . . sfa . . . . ."},
  };
  for (const Case& c : cases) {
    ReportModel model = ModelWithRows(10);
    if (c.start >= 0) model.Click(c.start, false, false);
    for (const Step& step : c.keys) model.Key(step.key, step.shift, step.ctrl, 3);
    EXPECT_EQ(Marks(model), c.marks) << c.what;
  }
  ReportModel empty = ModelWithRows(0);
  EXPECT_FALSE(empty.Key(ReportKey::kDown, false, false, 3));
}

TEST(ReportModel, SelectionQueriesAndDeletion) {
  ReportModel model = ModelWithRows(5);
  model.Click(1, false, false);
  model.Click(3, false, true);
  EXPECT_EQ(model.FirstSelected(), 1);
  EXPECT_EQ(model.NextSelected(1), 3);
  EXPECT_EQ(model.NextSelected(3), -1);
  EXPECT_EQ(model.SelectedRows(), (std::vector<int>{1, 3}));
  EXPECT_TRUE(model.DeleteRow(1));
  EXPECT_EQ(model.SelectedRows(), (std::vector<int>{2}));
  EXPECT_FALSE(model.DeleteRow(7));
  EXPECT_EQ(model.Cell(9, 0), nullptr);
  EXPECT_EQ(model.Cell(0, 5), nullptr);
  EXPECT_EQ(model.MutableCell(0, 5), nullptr);
  model.SelectAll();
  EXPECT_EQ(model.SelectedCount(), 4);
  model.DeleteAllRows();
  EXPECT_EQ(model.FirstSelected(), -1);
  EXPECT_EQ(model.FocusedRow(), -1);
}

// Sorting by column 0's text as a number; ties are not broken, to see the pivot's order.
int ByNumber(const ReportRow& a, const ReportRow& b, int column) {
  int x = std::stoi(a.CellAt(column)->text);
  int y = std::stoi(b.CellAt(column)->text);
  return (x > y) - (x < y);
}

std::vector<int> Values(const ReportModel& model) {
  std::vector<int> v;
  for (int r = 0; r < model.RowCount(); ++r) v.push_back(std::stoi(model.Row(r)->cells[0].text));
  return v;
}

TEST(ReportModel, SortsBothWaysKeepingSelectionWithTheRows) {
  ReportModel model;
  model.DefineColumn(0, ReportColumn{});
  model.ActivateColumn(0, 0);
  for (int v : {5, 3, 9, 3, 1, 7, 5, 0}) {
    ReportRow row;
    row.cells.resize(1);
    row.cells[0].text = std::to_string(v);
    model.InsertRow(model.RowCount(), row);
  }
  model.SetCompare(ByNumber);
  model.Click(2, false, false);  // the 9
  model.Sort(0, true);
  EXPECT_EQ(Values(model), (std::vector<int>{0, 1, 3, 3, 5, 5, 7, 9}));
  EXPECT_EQ(model.FocusedRow(), 7);
  EXPECT_EQ(model.FirstSelected(), 7);
  model.Sort(0, false);
  EXPECT_EQ(Values(model), (std::vector<int>{9, 7, 5, 5, 3, 3, 1, 0}));
  EXPECT_EQ(model.FocusedRow(), 0);
  EXPECT_EQ(model.Sorting(), (SortState{0, false}));
}

TEST(ReportModel, SortSurvivesAllEqualAndInconsistentComparisons) {
  ReportModel model = ModelWithRows(200);
  model.SetCompare([](const ReportRow&, const ReportRow&, int) { return 0; });
  model.Sort(0, true);
  EXPECT_EQ(model.RowCount(), 200);
  int calls = 0;
  // Not an order at all: it must still end and keep every row.
  model.SetCompare([&calls](const ReportRow&, const ReportRow&, int) { return (++calls % 3) - 1; });
  model.Sort(0, false);
  std::vector<int> seen(200, 0);
  for (int r = 0; r < model.RowCount(); ++r) ++seen[model.Row(r)->data];
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 200);
}

TEST(ReportModel, HeaderClickDirection) {
  ReportModel model = ModelWithRows(3);
  model.SetCompare([](const ReportRow& a, const ReportRow& b, int) {
    return (a.data > b.data) - (a.data < b.data);
  });
  model.SortByHeaderClick(0);
  EXPECT_EQ(model.Sorting(), (SortState{0, true}));
  model.SortByHeaderClick(0);
  EXPECT_EQ(model.Sorting(), (SortState{0, false}));
  model.SortByHeaderClick(0);
  EXPECT_EQ(model.Sorting(), (SortState{0, true}));
  model.Sort(0, false);
  model.SortByHeaderClick(1);  // another column starts ascending
  EXPECT_EQ(model.Sorting(), (SortState{1, true}));
}

TEST(ReportModel, ColumnStateString) {
  ReportModel model = ModelWithRows(0, 3);
  model.DeactivateColumn(1);
  model.ActivateColumn(1, 0);
  model.SetColumnWidth(2, 77);
  EXPECT_EQ(model.SaveColumnState(), "(3,3) 50 51 77 1 0 2");
  EXPECT_EQ(model.TotalWidth(), 178);

  struct Case {
    const char* text;
    bool accepted;
    const char* after;  // the saved state afterwards
  };
  const Case cases[] = {
      {"(3,2) 10 20 30 2 0", true, "(3,2) 10 20 30 2 0"},
      {"(3,3)  1 2 3  0 1 2", true, "(3,3) 1 2 3 0 1 2"},
      {"(4,3) 10 20 30 40 0 1 2", false, nullptr},  // another number of columns
      {"(3,0) 10 20 30", false, nullptr},           // nothing shown
      {"(3,2) 10 20 30 0", false, nullptr},         // a shown column missing
      {"(3,2) 10 20 30 0 5", false, nullptr},       // no such column
      {"(3,2) 10 20 30 1 1", false, nullptr},       // shown twice
      {"(3,2) 10 -5 30 1 0", false, nullptr},       // a negative width
      {"(3,4) 10 20 30 0 1 2 0", false, nullptr},   // more shown than defined
      {"3,3 1 2 3 0 1 2", false, nullptr},
      {"", false, nullptr},
      {"(3,3) 99999999999 1 1 0 1 2", false, nullptr},
  };
  for (const Case& c : cases) {
    ReportModel m = model;
    EXPECT_EQ(m.RestoreColumnState(c.text), c.accepted) << c.text;
    EXPECT_EQ(m.SaveColumnState(), c.after ? c.after : model.SaveColumnState()) << c.text;
  }
}

TEST(ReportModel, WidthsStayWithinTheColumnMaximum) {
  ReportModel model = ModelWithRows(0, 2);
  model.SetColumnMaxWidth(0, 40);
  EXPECT_EQ(model.Column(0)->width, 40);
  model.SetColumnWidth(0, 1000);
  EXPECT_EQ(model.Column(0)->width, 40);
  model.SetColumnWidth(1, -3);
  EXPECT_EQ(model.Column(1)->width, 0);
  EXPECT_TRUE(model.RestoreColumnState("(2,2) 500 20 0 1"));
  EXPECT_EQ(model.Column(0)->width, 40);
}

TEST(ReportModel, RowsAsText) {
  ReportModel model = ModelWithRows(2, 3);
  EXPECT_EQ(RowsAsText(ReportModel(), "none"), "none");
  model.SetRowBold(0, true);
  model.MutableCell(0, 2)->image = 8;
  model.MutableCell(1, 1)->text = "x";
  model.Click(1, false, false);
  model.DeactivateColumn(1);
  model.ActivateColumn(1, 0);
  EXPECT_EQ(RowsAsText(model, "none"), "B\t\t0\t<8>\r\nSF\tx\t1\t\r\n");
}

TEST(ReportModel, ColourTableGrows) {
  ReportModel model;
  EXPECT_EQ(model.Colour(0), std::nullopt);
  model.SetColour(12, 0x123456);
  EXPECT_EQ(model.ColourCount(), 13);
  EXPECT_EQ(model.Colour(12), 0x123456u);
  EXPECT_EQ(model.Colour(3), 0u);
  model.SetColour(-1, 1);
  EXPECT_EQ(model.ColourCount(), 13);
}

}  // namespace
}  // namespace postwink
