#include "core/ui/report_accessible.h"

namespace postwink {

std::string RowAccessibleName(const ReportModel& model, int row) {
  std::string name;
  if (model.Row(row) == nullptr) return name;
  for (int column : model.ActiveColumns()) {
    const ReportCell* cell = model.Cell(row, column);
    if (cell == nullptr || cell->text.empty()) continue;
    if (!name.empty()) name += ", ";
    name += cell->text;
  }
  return name;
}

const char* RowAccessibleDescription(const ReportModel& model, int row) {
  const ReportRow* r = model.Row(row);
  return r != nullptr && r->Has(kRowBold) ? kAccessibleUnread : kAccessibleRead;
}

int NavigateRows(int rowCount, int from, AccessibleNav nav) {
  if (rowCount <= 0 || from < 0 || from > rowCount) return -1;
  switch (nav) {
    case AccessibleNav::kFirstChild:
      return from == 0 ? 1 : -1;
    case AccessibleNav::kLastChild:
      return from == 0 ? rowCount : -1;
    case AccessibleNav::kNext:
      return from != 0 && from < rowCount ? from + 1 : -1;
    case AccessibleNav::kPrevious:
      return from > 1 ? from - 1 : -1;
  }
  return -1;
}

}  // namespace postwink
