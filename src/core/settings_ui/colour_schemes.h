#pragma once
// The colour schemes of the display page ("表示属性"): the named schemes of ColorList.ini and
// the scheme list, whose first entry stands for the colours as the user has changed them.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/ini_file.h"
#include "core/config/settings.h"

namespace postwink {

inline constexpr const char* kColourListFileName = "ColorList.ini";
inline constexpr const char* kColourListSection = "COLOR_LIST";
// Longest scheme name kept; COLLIST holds one byte less.
inline constexpr size_t kMaxSchemeName = 31;
inline constexpr size_t kMaxColListText = 30;

// The seven colours of a scheme, in this order.
enum SchemeColour : int {
  kSchemeBackground,   // BG_RGB
  kSchemeFrom,         // ST1_RGB
  kSchemeSubject,      // ST2_RGB
  kSchemeDate,         // ST3_RGB
  kSchemeSelection,    // SEL_RGB
  kSchemePreviewText,  // PRE_RGB
  kSchemePreviewBack,  // PREBG_RGB
  kSchemeColourCount
};
using SchemeColours = std::array<uint32_t, kSchemeColourCount>;

struct ColourScheme {
  std::string name;
  SchemeColours colours{};

  bool operator==(const ColourScheme&) const = default;
};

SchemeColours SchemeColoursOf(const Settings& settings);
void SetSchemeColours(Settings& settings, const SchemeColours& colours);

// A colour written as hexadecimal digit pairs, red first ("FF8000" is orange): the first pair
// becomes the lowest byte. Each pair reads as far as it has hexadecimal digits.
uint32_t ParseSchemeColour(std::string_view text);
// Section [COLOR_LIST]: "name=BG FROM SUBJECT DATE SELECT", one scheme a line. Reading stops at
// the first line with an empty name or value; a line with fewer than five colours is skipped.
// The preview takes the DATE colour for its text and the BG colour for its background.
std::vector<ColourScheme> ReadColourList(const IniFile& ini);

class SchemeList {
 public:
  // The first entry is "*" (all colours 0), then the schemes of the file. When colList names
  // an entry, it is selected; otherwise the first entry becomes colList with the current colours.
  SchemeList(std::vector<ColourScheme> fromFile, std::string_view colList,
             const SchemeColours& current);

  const std::vector<ColourScheme>& Entries() const { return entries_; }
  int Selected() const { return selected_; }
  // The user chose an entry: the colours the buttons take.
  const SchemeColours& Choose(int index);
  // A colour button reported the chosen colour; buttons holds the seven colours they show now.
  // A change to a scheme other than the first puts "name*" with these colours first and selects
  // it. Returns false when the colour was the scheme's own and nothing changed.
  bool ColourChosen(SchemeColour which, const SchemeColours& buttons);
  // COLLIST: the selected entry's name.
  std::string Text() const;

 private:
  std::vector<ColourScheme> entries_;
  int selected_ = 0;
};

}  // namespace postwink
