#include "core/settings_ui/sheet_pages.h"

namespace postwink {

std::vector<SheetPage> SheetPages(bool advance) {
  std::vector<SheetPage> pages = {
      {105, "CPropertyPage1", 105, 106}, {106, "CPropertyPage2", 107, 108},
      {107, "CPropertyPage3", 109, 110}, {108, "CPropertyPage4", 111, 112},
      {109, "CPropertyPage5", 113, 114},
  };
  if (advance) pages.push_back({110, "CPropertyPageA", 115, 116});
  return pages;
}

void StartPageMemory::RememberOk(std::string_view className) {
  value_ = className.empty() ? 0 : className.back() - '0';
}

}  // namespace postwink
