#pragma once
// The pages of the settings sheet in their order, and which page the next sheet opens on.

#include <string_view>
#include <vector>

namespace postwink {

struct SheetPage {
  int templateId;         // the page's dialog; its caption is the tab's title
  const char* className;  // the name the start-page rule reads its last character from
  int bannerTitle;        // string ids of the banner's title and description
  int bannerText;
};

// The five pages, and "Advance" when ADVANCE is not 0.
std::vector<SheetPage> SheetPages(bool advance);

// The page that was active when OK was last pressed, for the rest of the run: one of the first
// four pages is opened again, any other page gives the first.
class StartPageMemory {
 public:
  // The last character of the class name as a digit ("A" gives a value above 4).
  void RememberOk(std::string_view className);
  int StartPage() const { return value_ >= 1 && value_ <= 4 ? value_ - 1 : 0; }

 private:
  int value_ = 0;
};

}  // namespace postwink
