#include "core/list/list_rows.h"

#include <algorithm>

#include "core/config/account.h"
#include "core/text/case.h"
#include "core/text/utf8.h"
#include "core/ui/scale.h"

namespace postwink {

std::array<ReportColumn, kListColumnCount> ListColumns(int dpi) {
  auto column = [dpi](ColumnAlign align, int width, int image, const char* title) {
    ReportColumn c;
    c.align = align;
    c.width = ScalePixels(width, dpi);
    c.image = image;
    c.title = title;
    return c;
  };
  return {
      column(ColumnAlign::kCentre, 28, kImageImportanceHeader, "Importance"),
      column(ColumnAlign::kCentre, 85, -1, "MailBox"),
      column(ColumnAlign::kLeft, 200, -1, "From"),
      column(ColumnAlign::kLeft, 200, -1, "Subject"),
      column(ColumnAlign::kLeft, 134, -1, "Received"),
      column(ColumnAlign::kCentre, 28, kImageAttachmentHeader, "Icon (persistent)"),
      column(ColumnAlign::kCentre, 28, kImageRemove, "TRASH"),
  };
}

void DefineListColumns(ReportModel& model, bool showAll, int dpi) {
  auto columns = ListColumns(dpi);
  for (int c = 0; c < kListColumnCount; ++c) {
    model.DefineColumn(c, columns[static_cast<size_t>(c)]);
    if (showAll) model.ActivateColumn(c, c);
  }
}

namespace {

std::string_view TrimBlanks(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string ShortenFrom(std::string_view from) {
  size_t open = from.find('<');
  if (open == std::string_view::npos || from.find('>', open + 1) == std::string_view::npos) {
    return std::string(from);
  }
  std::string_view name = TrimBlanks(from.substr(0, open));
  if (name.empty()) return std::string(from);
  // UTF-8 never hides an ASCII byte inside a character, so byte scans are safe here.
  if (std::count(name.begin(), name.end(), '"') < 2) return std::string(name);
  std::string unquoted;
  for (char c : name) {
    if (c != '"') unquoted.push_back(c);
  }
  std::string_view trimmed = TrimBlanks(unquoted);
  return trimmed.empty() ? std::string(name) : std::string(trimmed);
}

std::string_view SubjectText(const MailItem& item) {
  if (!item.subject || item.subject->empty()) return kNoSubjectText;
  return *item.subject;
}

int SetListColours(ReportModel& model, const Settings& settings, uint32_t greyText,
                   const std::vector<uint32_t>& accountColours) {
  model.SetColour(kColourGrid, 0xC0D8C0);
  model.SetColour(kColourGreyText, greyText);
  model.SetColour(kColourInactiveSelection, 0xD0C0C0);
  model.SetColour(kColourFocus, 0x804000);
  model.SetColour(kColourBackground, static_cast<uint32_t>(settings.bgRgb));
  model.SetColour(kColourFrom, static_cast<uint32_t>(settings.st1Rgb));
  model.SetColour(kColourSubject, static_cast<uint32_t>(settings.st2Rgb));
  model.SetColour(kColourReceived, static_cast<uint32_t>(settings.st3Rgb));
  int index = kColourFirstAccount;
  for (uint32_t colour : accountColours) model.SetColour(index++, colour);
  return index;
}

namespace {

ReportRow BuildRow(const MailItem& item, const FillOptions& options, ReportModel& model,
                   int& nextColour) {
  int back = kColourBackground;
  int mailbox = kColourFirstAccount + item.account->index;
  int from = kColourFrom;
  int subject = kColourSubject;
  int received = kColourReceived;
  if ((item.flags & kMailOwnColours) && !options.systemColours) {
    const int c = nextColour;
    model.SetColour(c + 1, item.backColour);
    model.SetColour(c + 2, item.mailboxColour);
    model.SetColour(c + 3, item.fromColour);
    model.SetColour(c + 4, item.subjectColour);
    model.SetColour(c + 5, item.receivedColour);
    back = c + 1;
    mailbox = c + 2;
    from = c + 3;
    subject = c + 4;
    received = c + 5;
    nextColour += 5;
  }
  ReportRow row;
  row.data = reinterpret_cast<uintptr_t>(&item);
  if ((item.flags & kMailRead) == 0) row.state |= kRowBold;
  row.cells.resize(kListColumnCount);
  for (ReportCell& cell : row.cells) cell.backColour = back;
  row.cells[kColumnImportance].image = (item.flags & kMailImportant) ? kImageImportant : -1;
  row.cells[kColumnAttachment].image = item.hasAttachment ? kImageAttachment : -1;
  row.cells[kColumnTrash].image = kImageRemove;
  auto text = [&](int column, std::string value, int colour) {
    row.cells[static_cast<size_t>(column)].text = std::move(value);
    row.cells[static_cast<size_t>(column)].textColour = colour;
  };
  text(kColumnMailBox, item.account->mailbox.value_or(std::string()), mailbox);
  const std::string& fromText = item.from ? *item.from : std::string();
  text(kColumnFrom, options.trimFrom ? ShortenFrom(fromText) : fromText, from);
  text(kColumnSubject, std::string(SubjectText(item)), subject);
  text(kColumnReceived, item.dateText.value_or(std::string()), received);
  if (options.systemColours) {
    for (ReportCell& cell : row.cells) cell.textColour = cell.backColour = -1;
  }
  return row;
}

}  // namespace

int FillListRows(ReportModel& model, const DisplayList& list, const FillOptions& options,
                 int& nextColour, const MailItem* remember) {
  model.DeleteAllRows();
  model.ReserveRows(list.Size());
  for (size_t i = list.Size(); i-- > 0;) {
    const MailItem* item = list.At(i);
    if (!item || !item->account) continue;
    if (options.unreadOnly && (item->flags & kMailRead)) continue;
    if (item->flags & (kMailRemoved | kMailSpam)) continue;
    model.InsertRow(model.RowCount(), BuildRow(*item, options, model, nextColour));
  }
  model.SetCompare(CompareListRows);
  model.Sort(options.sort.column, options.sort.ascending);
  return RowOfItem(model, remember);
}

int RowOfItem(const ReportModel& model, const MailItem* item) {
  if (!item) return -1;
  for (int row = 0; row < model.RowCount(); ++row) {
    if (RowItem(*model.Row(row)) == item) return row;
  }
  return -1;
}

namespace {

int CompareCells(const ReportRow& a, const ReportRow& b, int column) {
  static const ReportCell kEmpty;
  const ReportCell* ca = a.CellAt(column);
  const ReportCell* cb = b.CellAt(column);
  if (!ca) ca = &kEmpty;
  if (!cb) cb = &kEmpty;
  if (!ca->text.empty() || !cb->text.empty()) {
    int result = CompareNoCase(ca->text, cb->text);
    if (result != 0) return result;
  }
  if (ca->check >= 0 || cb->check >= 0) return (ca->check > cb->check) - (ca->check < cb->check);
  return (ca->image > cb->image) - (ca->image < cb->image);
}

}  // namespace

int CompareListRows(const ReportRow& a, const ReportRow& b, int column) {
  int result = CompareCells(a, b, column);
  if (result != 0 || column == kColumnReceived) return result;
  const ReportCell* ca = a.CellAt(kColumnReceived);
  const ReportCell* cb = b.CellAt(kColumnReceived);
  return CompareNoCase(ca ? ca->text : std::string_view(), cb ? cb->text : std::string_view());
}

SortState SortFromSetting(int sortItem) {
  int column = sortItem & 0xFFFF;
  int order = (sortItem >> 16) & 0xFFFF;
  if (column >= kListColumnCount) return {kColumnReceived, false};
  return {column, order == 1};
}

int SortSetting(SortState sort) {
  if (sort.column < 0 || sort.column >= kListColumnCount) return kColumnReceived;
  return sort.column | ((sort.ascending ? 1 : 0) << 16);
}

}  // namespace postwink
