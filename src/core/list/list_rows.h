#pragma once
// The message list's rows: its seven columns, the colour table, the texts each item shows,
// filling the report model from the DisplayList, and the sort order kept in SORTITEM.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/check/display_list.h"
#include "core/config/settings.h"
#include "core/mime/mail_item.h"
#include "core/ui/report_model.h"

namespace postwink {

enum ListColumn : int {
  kColumnImportance = 0,
  kColumnMailBox = 1,
  kColumnFrom = 2,
  kColumnSubject = 3,
  kColumnReceived = 4,
  kColumnAttachment = 5,
  kColumnTrash = 6,
  kListColumnCount = 7,
};

// Images of the list's image list: 0-7 the frames of the image strip, 8-11 the icons.
inline constexpr int kImageAttachmentHeader = 0;
inline constexpr int kImageImportanceHeader = 1;
inline constexpr int kImageImportant = 6;
inline constexpr int kImageRemove = 8;
inline constexpr int kImageRemovePressed = 9;
inline constexpr int kImageAttachment = 10;
inline constexpr int kImageAttachmentPressed = 11;

// Colour-table entries the list fills; 8 + k is account k, own-colour rows follow.
inline constexpr int kColourGrid = 0;
inline constexpr int kColourGreyText = 1;
inline constexpr int kColourInactiveSelection = 2;
inline constexpr int kColourFocus = 3;
inline constexpr int kColourBackground = 4;
inline constexpr int kColourFrom = 5;
inline constexpr int kColourSubject = 6;
inline constexpr int kColourReceived = 7;
inline constexpr int kColourFirstAccount = 8;

inline constexpr const char* kNoSubjectText = "(no subject)";
// "メッセージはありません" (there are no messages)
inline constexpr const char* kListEmptyText = "メッセージはありません";
// Where the column layout is kept in Postwink.ini.
inline constexpr const char* kListStateSection = "Window";
inline constexpr const char* kListStateKey = "ReportCtrl2";

// The seven columns as they are defined, widths scaled to dpi.
std::array<ReportColumn, kListColumnCount> ListColumns(int dpi = kDesignDpi);
// Defines the seven columns in the model; showAll also shows them in their natural order.
void DefineListColumns(ReportModel& model, bool showAll, int dpi = kDesignDpi);

// The From text without the address: the part before "<" when a ">" follows it, trimmed, and
// without double quotes when it holds two or more; the whole text when that leaves nothing.
std::string ShortenFrom(std::string_view from);
std::string_view SubjectText(const MailItem& item);

// Entries 0 to 8 + accounts - 1 of the colour table. Returns the first free index.
int SetListColours(ReportModel& model, const Settings& settings, uint32_t greyText,
                   const std::vector<uint32_t>& accountColours);

struct FillOptions {
  bool unreadOnly = false;
  bool trimFrom = true;
  SortState sort{kColumnReceived, false};
  // High contrast: no cell carries a colour of its own, the control's (the system's) serve all.
  bool systemColours = false;
};

// Rebuilds every row from the list, newest addition first, then sorts. Rows with their own
// colours take five fresh colour-table entries from nextColour on. Returns the row that now
// holds remember, or -1.
int FillListRows(ReportModel& model, const DisplayList& list, const FillOptions& options,
                 int& nextColour, const MailItem* remember = nullptr);

// The list's sort comparison: the cells' texts without regard to case, else check values or
// images; rows equal on another column are ordered by "Received".
int CompareListRows(const ReportRow& a, const ReportRow& b, int column);

// The item a row stands for.
inline MailItem* RowItem(const ReportRow& row) { return reinterpret_cast<MailItem*>(row.data); }
// The row that stands for item, or -1.
int RowOfItem(const ReportModel& model, const MailItem* item);

// SORTITEM: the column in the low 16 bits, 1 in the high 16 bits for ascending. A column that
// does not exist gives the default, "Received" descending.
SortState SortFromSetting(int sortItem);
int SortSetting(SortState sort);

}  // namespace postwink
