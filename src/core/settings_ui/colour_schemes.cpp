#include "core/settings_ui/colour_schemes.h"

#include "core/text/utf8.h"

namespace postwink {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::vector<std::string_view> SplitAtBlanks(std::string_view text) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  while (start <= text.size()) {
    size_t blank = text.find(' ', start);
    if (blank == std::string_view::npos) blank = text.size();
    pieces.push_back(text.substr(start, blank - start));
    start = blank + 1;
  }
  return pieces;
}

}  // namespace

SchemeColours SchemeColoursOf(const Settings& s) {
  auto c = [](int v) { return static_cast<uint32_t>(v); };
  return {c(s.bgRgb),  c(s.st1Rgb), c(s.st2Rgb),  c(s.st3Rgb),
          c(s.selRgb), c(s.preRgb), c(s.prebgRgb)};
}

void SetSchemeColours(Settings& s, const SchemeColours& colours) {
  auto v = [&](SchemeColour which) { return static_cast<int>(colours[which]); };
  s.bgRgb = v(kSchemeBackground);
  s.st1Rgb = v(kSchemeFrom);
  s.st2Rgb = v(kSchemeSubject);
  s.st3Rgb = v(kSchemeDate);
  s.selRgb = v(kSchemeSelection);
  s.preRgb = v(kSchemePreviewText);
  s.prebgRgb = v(kSchemePreviewBack);
}

uint32_t ParseSchemeColour(std::string_view text) {
  uint32_t colour = 0;
  // Four pairs fill the 32-bit value; what follows has no byte to go to.
  for (size_t pair = 0; pair < 4 && pair * 2 < text.size(); ++pair) {
    uint32_t byte = 0;
    for (size_t i = pair * 2; i < pair * 2 + 2 && i < text.size() && HexDigit(text[i]) >= 0; ++i) {
      byte = byte * 16 + static_cast<uint32_t>(HexDigit(text[i]));
    }
    colour |= byte << (8 * pair);
  }
  return colour;
}

std::vector<ColourScheme> ReadColourList(const IniFile& ini) {
  std::vector<ColourScheme> schemes;
  for (const IniFile::Entry& entry : ini.Entries(kColourListSection)) {
    if (entry.name.empty() || entry.value.empty()) break;
    std::vector<std::string_view> pieces = SplitAtBlanks(entry.value);
    if (pieces.size() < 5) continue;
    ColourScheme scheme;
    scheme.name = std::string(CutToChars(entry.name, kMaxSchemeName));
    scheme.colours[kSchemeBackground] = ParseSchemeColour(pieces[0]);
    scheme.colours[kSchemeFrom] = ParseSchemeColour(pieces[1]);
    scheme.colours[kSchemeSubject] = ParseSchemeColour(pieces[2]);
    scheme.colours[kSchemeDate] = ParseSchemeColour(pieces[3]);
    scheme.colours[kSchemeSelection] = ParseSchemeColour(pieces[4]);
    scheme.colours[kSchemePreviewText] = scheme.colours[kSchemeDate];
    scheme.colours[kSchemePreviewBack] = scheme.colours[kSchemeBackground];
    schemes.push_back(std::move(scheme));
  }
  return schemes;
}

SchemeList::SchemeList(std::vector<ColourScheme> fromFile, std::string_view colList,
                       const SchemeColours& current) {
  entries_.push_back({"*", {}});
  for (ColourScheme& scheme : fromFile) entries_.push_back(std::move(scheme));
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].name == colList) {
      selected_ = static_cast<int>(i);
      return;
    }
  }
  entries_[0] = {std::string(colList), current};
  selected_ = 0;
}

const SchemeColours& SchemeList::Choose(int index) {
  if (index >= 0 && index < static_cast<int>(entries_.size())) selected_ = index;
  return entries_[static_cast<size_t>(selected_)].colours;
}

bool SchemeList::ColourChosen(SchemeColour which, const SchemeColours& buttons) {
  const ColourScheme& chosen = entries_[static_cast<size_t>(selected_)];
  if (chosen.colours[which] == buttons[which]) return false;
  if (selected_ != 0) {
    // Short enough that COLLIST keeps the "*".
    entries_[0].name = std::string(CutToChars(chosen.name, kMaxColListText - 1)) + "*";
  }
  entries_[0].colours = buttons;
  selected_ = 0;
  return true;
}

std::string SchemeList::Text() const {
  return std::string(CutToChars(entries_[static_cast<size_t>(selected_)].name, kMaxColListText));
}

}  // namespace postwink
