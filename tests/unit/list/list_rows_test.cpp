#include "core/list/list_rows.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/config/account.h"

namespace postwink {
namespace {

TEST(ListRows, ShortenFrom) {
  struct Case {
    const char* from;
    const char* shown;
  };
  const Case cases[] = {
      {"Taro Yamada <taro@example.jp>", "Taro Yamada"},
      {"  Taro  <taro@example.jp>", "Taro"},
      {"\"Yamada, Taro\" <taro@example.jp>", "Yamada, Taro"},
      {"\" \" <taro@example.jp>", "\" \""},    // nothing left without the quotes
      {"\"Taro <taro@example.jp>", "\"Taro"},  // one quote stays
      {"<taro@example.jp>", "<taro@example.jp>"},
      {"taro@example.jp", "taro@example.jp"},
      {"Taro <taro@example.jp", "Taro <taro@example.jp"},  // no closing bracket
      {"Taro > x < y", "Taro > x < y"},                    // no ">" after the "<"
      {"", ""},
      {"山田 <a@b>", "山田"},  // 山田
      {"\"José Müller 🎉\" <jose@example.com>", "José Müller 🎉"},
      {"김민준 <a@b>", "김민준"},
  };
  for (const Case& c : cases) EXPECT_EQ(ShortenFrom(c.from), c.shown) << c.from;
}

// A DisplayList with items of two accounts, oldest first.
struct Fixture {
  Fixture() {
    for (int k = 0; k < 2; ++k) {
      accounts[k].mailbox = k == 0 ? "Work" : "Home";
      accounts[k].index = k;
      accounts[k].colour = 0x100 * (k + 1);
    }
  }
  MailItem* Add(int account, const char* subject, const char* date, uint32_t flags = 0) {
    auto item = std::make_unique<MailItem>();
    item->account = &accounts[account];
    if (subject) item->subject = subject;
    item->from = "Sender <s@example.jp>";
    item->dateText = date;
    item->flags = flags;
    MailItem* raw = item.get();
    list.Append(std::move(item));
    return raw;
  }
  Account accounts[2];
  DisplayList list;
};

std::vector<std::string> Column(const ReportModel& model, int column) {
  std::vector<std::string> texts;
  for (int r = 0; r < model.RowCount(); ++r) texts.push_back(model.Cell(r, column)->text);
  return texts;
}

ReportModel ListModel() {
  ReportModel model;
  DefineListColumns(model, true);
  return model;
}

TEST(ListRows, FillSkipsAndOrders) {
  Fixture f;
  f.Add(0, "old", "2026/01/01 10:00:00");
  f.Add(1, "read", "2026/01/02 10:00:00", kMailRead);
  f.Add(0, "removed", "2026/01/03 10:00:00", kMailRemoved);
  f.Add(0, "spam", "2026/01/04 10:00:00", kMailSpam);
  f.Add(1, "hidden", "2026/01/05 10:00:00", kMailHidden);
  f.Add(0, nullptr, "2026/01/06 10:00:00", kMailImportant);
  f.list.Append(nullptr);
  auto orphan = std::make_unique<MailItem>();
  f.list.Append(std::move(orphan));

  ReportModel model = ListModel();
  int next = SetListColours(model, Settings{}, 0x808080, {0x100, 0x200});
  EXPECT_EQ(next, 10);
  FillOptions all;
  EXPECT_EQ(FillListRows(model, f.list, all, next), -1);
  // Received, descending by default.
  EXPECT_EQ(Column(model, kColumnSubject),
            (std::vector<std::string>{"(no subject)", "hidden", "read", "old"}));
  EXPECT_EQ(Column(model, kColumnMailBox),
            (std::vector<std::string>{"Work", "Home", "Home", "Work"}));
  EXPECT_EQ(Column(model, kColumnFrom), (std::vector<std::string>(4, "Sender")));
  const ReportRow& top = *model.Row(0);
  EXPECT_TRUE(top.Has(kRowBold));
  EXPECT_EQ(top.cells[kColumnImportance].image, kImageImportant);
  EXPECT_EQ(top.cells[kColumnTrash].image, kImageRemove);
  EXPECT_EQ(top.cells[kColumnAttachment].image, -1);
  EXPECT_EQ(top.cells[kColumnMailBox].textColour, kColourFirstAccount + 0);
  EXPECT_EQ(model.Cell(1, kColumnMailBox)->textColour, kColourFirstAccount + 1);
  EXPECT_EQ(top.cells[kColumnFrom].textColour, kColourFrom);
  EXPECT_EQ(top.cells[kColumnSubject].textColour, kColourSubject);
  EXPECT_EQ(top.cells[kColumnReceived].textColour, kColourReceived);
  EXPECT_EQ(top.cells[kColumnReceived].backColour, kColourBackground);
  EXPECT_FALSE(model.Row(2)->Has(kRowBold));  // read

  FillOptions unread;
  unread.unreadOnly = true;
  unread.trimFrom = false;
  unread.sort = {kColumnSubject, true};
  FillListRows(model, f.list, unread, next);
  EXPECT_EQ(Column(model, kColumnSubject),
            (std::vector<std::string>{"(no subject)", "hidden", "old"}));
  EXPECT_EQ(Column(model, kColumnFrom)[0], "Sender <s@example.jp>");
}

TEST(ListRows, FillFindsTheRememberedItem) {
  Fixture f;
  MailItem* a = f.Add(0, "a", "1");
  MailItem* b = f.Add(0, "b", "2");
  ReportModel model = ListModel();
  int next = SetListColours(model, Settings{}, 0, {0, 0});
  FillOptions options;
  EXPECT_EQ(FillListRows(model, f.list, options, next, a), 1);
  EXPECT_EQ(RowItem(*model.Row(0)), b);
  MailItem gone;
  EXPECT_EQ(FillListRows(model, f.list, options, next, &gone), -1);
}

TEST(ListRows, OwnColoursTakeFreshEntriesOnEveryFill) {
  Fixture f;
  MailItem* own = f.Add(0, "own", "d", kMailOwnColours);
  own->backColour = 1;
  own->mailboxColour = 2;
  own->fromColour = 3;
  own->subjectColour = 4;
  own->receivedColour = 5;
  f.Add(1, "plain", "c");
  ReportModel model = ListModel();
  Settings settings;
  settings.bgRgb = 0xE6FFFF;
  settings.st1Rgb = 0x5FFF;
  settings.st2Rgb = 0xFF9046;
  settings.st3Rgb = 0xCA00;
  int next = SetListColours(model, settings, 0x6D6D6D, {0xAA, 0xBB});
  EXPECT_EQ(model.Colour(0), 0xC0D8C0u);
  EXPECT_EQ(model.Colour(1), 0x6D6D6Du);
  EXPECT_EQ(model.Colour(2), 0xD0C0C0u);
  EXPECT_EQ(model.Colour(3), 0x804000u);
  EXPECT_EQ(model.Colour(4), 0xE6FFFFu);
  EXPECT_EQ(model.Colour(5), 0x5FFFu);
  EXPECT_EQ(model.Colour(6), 0xFF9046u);
  EXPECT_EQ(model.Colour(7), 0xCA00u);
  EXPECT_EQ(model.Colour(8), 0xAAu);
  EXPECT_EQ(model.Colour(9), 0xBBu);

  FillListRows(model, f.list, FillOptions{}, next);
  EXPECT_EQ(next, 15);
  const ReportRow& row = *model.Row(0);  // "d" sorts first, descending
  ASSERT_EQ(RowItem(row), own);
  // c = 10: entries 11 to 15.
  EXPECT_EQ(row.cells[kColumnTrash].backColour, 11);
  EXPECT_EQ(row.cells[kColumnMailBox].textColour, 12);
  EXPECT_EQ(row.cells[kColumnFrom].textColour, 13);
  EXPECT_EQ(row.cells[kColumnSubject].textColour, 14);
  EXPECT_EQ(row.cells[kColumnReceived].textColour, 15);
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(model.Colour(10 + i), static_cast<uint32_t>(i));
  EXPECT_EQ(model.Cell(1, kColumnMailBox)->textColour, 9);

  FillListRows(model, f.list, FillOptions{}, next);
  EXPECT_EQ(next, 20);
  EXPECT_EQ(model.Row(0)->cells[kColumnSubject].textColour, 19);
}

// With high contrast on, neither a filter's own colours nor the user's scheme reach a cell.
TEST(ListRows, SystemColoursLeaveEveryCellToTheControl) {
  Fixture f;
  MailItem* own = f.Add(0, "own", "d", kMailOwnColours);
  own->subjectColour = 4;
  f.Add(1, "plain", "c");
  ReportModel model = ListModel();
  int next = SetListColours(model, Settings{}, 0x6D6D6D, {0xAA, 0xBB});
  const int before = next;
  FillOptions options;
  options.systemColours = true;
  FillListRows(model, f.list, options, next);
  EXPECT_EQ(next, before);
  ASSERT_EQ(model.RowCount(), 2);
  for (int row = 0; row < 2; ++row) {
    for (const ReportCell& cell : model.Row(row)->cells) {
      EXPECT_EQ(cell.textColour, -1) << row;
      EXPECT_EQ(cell.backColour, -1) << row;
    }
  }
}

ReportRow Row(const char* subject, const char* received, int image = -1) {
  ReportRow row;
  row.cells.resize(kListColumnCount);
  row.cells[kColumnSubject].text = subject;
  row.cells[kColumnReceived].text = received;
  row.cells[kColumnImportance].image = image;
  return row;
}

TEST(ListRows, SortComparison) {
  struct Case {
    ReportRow a;
    ReportRow b;
    int column;
    int sign;
  };
  const Case cases[] = {
      {Row("apple", "1"), Row("Banana", "0"), kColumnSubject, -1},  // case is ignored
      {Row("APPLE", "2"), Row("apple", "1"), kColumnSubject, 1},    // a tie goes to Received
      {Row("x", "2026/01/02"), Row("x", "2026/01/02"), kColumnSubject, 0},
      {Row("b", "1"), Row("a", "1"), kColumnReceived, 0},  // no tie-break on Received itself
      {Row("", "1", -1), Row("", "0", 6), kColumnImportance, -1},  // images: none first
      {Row("", "1", 6), Row("", "0", 6), kColumnImportance, 1},
      {Row("", "1"), Row("a", "2"), kColumnSubject, -1},  // an empty text sorts first
      // Kana by code: "あ" (82 A0) before "い" (82 A2); ASCII before kana.
      {Row("あ", "1"), Row("い", "1"), kColumnSubject, -1},
      {Row("z", "1"), Row("あ", "1"), kColumnSubject, -1},
  };
  for (const Case& c : cases) {
    int result = CompareListRows(c.a, c.b, c.column);
    EXPECT_EQ((result > 0) - (result < 0), c.sign)
        << c.a.cells[kColumnSubject].text << " / " << c.b.cells[kColumnSubject].text;
  }
}

TEST(ListRows, SortedFillWithTiesAndBothDirections) {
  Fixture f;
  f.Add(0, "same", "2026/01/01");
  f.Add(1, "Same", "2026/01/03");
  f.Add(0, "other", "2026/01/02");
  f.Add(1, "SAME", "2026/01/02");
  ReportModel model = ListModel();
  int next = SetListColours(model, Settings{}, 0, {0, 0});
  FillOptions options;
  options.sort = {kColumnSubject, true};
  FillListRows(model, f.list, options, next);
  EXPECT_EQ(Column(model, kColumnReceived),
            (std::vector<std::string>{"2026/01/02", "2026/01/01", "2026/01/02", "2026/01/03"}));
  options.sort = {kColumnSubject, false};
  FillListRows(model, f.list, options, next);
  EXPECT_EQ(Column(model, kColumnReceived),
            (std::vector<std::string>{"2026/01/03", "2026/01/02", "2026/01/01", "2026/01/02"}));
  options.sort = {kColumnMailBox, true};
  FillListRows(model, f.list, options, next);
  EXPECT_EQ(Column(model, kColumnReceived),
            (std::vector<std::string>{"2026/01/02", "2026/01/03", "2026/01/01", "2026/01/02"}));
}

TEST(ListRows, SortItemSetting) {
  EXPECT_EQ(SortFromSetting(4), (SortState{4, false}));
  EXPECT_EQ(SortFromSetting(0x10003), (SortState{3, true}));
  EXPECT_EQ(SortFromSetting(0x10006), (SortState{6, true}));
  EXPECT_EQ(SortFromSetting(0x10007), (SortState{4, false}));  // no such column
  EXPECT_EQ(SortFromSetting(-1), (SortState{4, false}));
  EXPECT_EQ(SortSetting({3, true}), 0x10003);
  EXPECT_EQ(SortSetting({0, false}), 0);
  EXPECT_EQ(SortSetting({-1, true}), 4);
}

TEST(ListRows, Columns) {
  auto columns = ListColumns();
  const char* titles[] = {"Importance", "MailBox",           "From", "Subject",
                          "Received",   "Icon (persistent)", "TRASH"};
  const int widths[] = {28, 85, 200, 200, 134, 28, 28};
  const int images[] = {1, -1, -1, -1, -1, 0, 8};
  for (int c = 0; c < kListColumnCount; ++c) {
    EXPECT_EQ(columns[c].title, titles[c]);
    EXPECT_EQ(columns[c].width, widths[c]);
    EXPECT_EQ(columns[c].image, images[c]);
  }
  EXPECT_EQ(columns[kColumnMailBox].align, ColumnAlign::kCentre);
  EXPECT_EQ(columns[kColumnFrom].align, ColumnAlign::kLeft);
}

}  // namespace
}  // namespace postwink
