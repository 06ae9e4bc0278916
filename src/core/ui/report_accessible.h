#pragma once
// What a screen reader is told about the report list: each row as one item named by the texts it
// shows, its selection and focus, and whether it is bold, which in the message list means unread.
// Rows are the accessible children 1..RowCount(); 0 is the list itself.

#include <cstdint>
#include <string>

#include "core/ui/report_model.h"

namespace postwink {

// The row's shown texts in display order, joined by ", "; cells with only a picture are left
// out ("Box, Alice, Hello, 2024/05/01 10:00").
std::string RowAccessibleName(const ReportModel& model, int row);

inline constexpr const char* kAccessibleUnread = "unread";
inline constexpr const char* kAccessibleRead = "read";
// "unread" for a bold row, "read" otherwise.
const char* RowAccessibleDescription(const ReportModel& model, int row);

enum class AccessibleNav { kFirstChild, kLastChild, kNext, kPrevious };
// The child an accessible navigation from child `from` reaches, or -1 for none: first and last
// only from the list itself, next and previous only between rows.
int NavigateRows(int rowCount, int from, AccessibleNav nav);

}  // namespace postwink
