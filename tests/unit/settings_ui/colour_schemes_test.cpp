#include "core/settings_ui/colour_schemes.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

TEST(ColourSchemes, ColoursAreRedGreenBluePairsWithRedInTheLowByte) {
  struct Case {
    const char* text;
    uint32_t colour;
  } cases[] = {
      {"FF8000", 0x0080FF},  // orange
      {"0000FF", 0xFF0000},  // blue
      {"ff0000", 0x0000FF},  // red, lower case
      {"E6FFFF", 0xFFFFE6},
      {"FFF", 0x000FFF},  // a short last pair
      {"", 0},
      {"G1A0", 0xA000},  // a pair reads as far as it has hexadecimal digits
      {"1G", 0x01},
      {"0102030405", 0x04030201},  // no byte beyond the fourth
  };
  for (const Case& c : cases) EXPECT_EQ(ParseSchemeColour(c.text), c.colour) << c.text;
}

TEST(ColourSchemes, TheListStopsAtAnEmptyNameOrValueAndSkipsShortLines) {
  IniFile ini = IniFile::Parse(
      "[COLOR_LIST]\r\n"
      "Blue=FFFFFF 000000 0000FF 000080 C0C0FF\r\n"
      "; a comment is no scheme\r\n"
      "Short=FFFFFF 000000\r\n"
      "A name longer than thirty-one bytes=000000 000000 000000 000000 000000\r\n"
      "Empty=\r\n"
      "After=FFFFFF FFFFFF FFFFFF FFFFFF FFFFFF\r\n");
  std::vector<ColourScheme> schemes = ReadColourList(ini);
  ASSERT_EQ(schemes.size(), 2u);
  EXPECT_EQ(schemes[0].name, "Blue");
  EXPECT_EQ(schemes[0].colours,
            (SchemeColours{0xFFFFFF, 0x000000, 0xFF0000, 0x800000, 0xFFC0C0, 0x800000, 0xFFFFFF}));
  EXPECT_EQ(schemes[1].name, "A name longer than thirty-one b");
  EXPECT_TRUE(
      ReadColourList(IniFile::Parse("[COLOR_LIST]\r\n=FFFFFF 0 0 0 0\r\nX=1 2 3 4 5\r\n")).empty());
  EXPECT_TRUE(ReadColourList(IniFile()).empty());
}

class SchemeListTest : public ::testing::Test {
 protected:
  std::vector<ColourScheme> File() {
    return {{"Blue", {1, 2, 3, 4, 5, 4, 1}}, {"Green", {11, 12, 13, 14, 15, 14, 11}}};
  }
  const SchemeColours current_{100, 101, 102, 103, 104, 105, 106};
};

TEST_F(SchemeListTest, ASchemeNamedInColListIsSelectedOtherwiseTheFirstEntryTakesItsName) {
  SchemeList named(File(), "Green", current_);
  EXPECT_EQ(named.Entries().size(), 3u);
  EXPECT_EQ(named.Entries()[0], (ColourScheme{"*", {}}));
  EXPECT_EQ(named.Selected(), 2);
  EXPECT_EQ(named.Text(), "Green");

  // The default "ORIGINAL" is no scheme of the file: it shows the current colours.
  SchemeList original(File(), "ORIGINAL", current_);
  EXPECT_EQ(original.Entries()[0], (ColourScheme{"ORIGINAL", current_}));
  EXPECT_EQ(original.Selected(), 0);

  SchemeList noFile({}, "ORIGINAL", current_);
  EXPECT_EQ(noFile.Entries().size(), 1u);
}

TEST_F(SchemeListTest, AChangedColourPutsTheStarredSchemeFirst) {
  SchemeList list(File(), "ORIGINAL", current_);
  SchemeColours buttons = list.Choose(1);
  EXPECT_EQ(buttons, File()[0].colours);
  EXPECT_EQ(list.Text(), "Blue");

  // The colour the scheme already has changes nothing.
  EXPECT_FALSE(list.ColourChosen(kSchemeSubject, buttons));
  EXPECT_EQ(list.Selected(), 1);

  buttons[kSchemeSubject] = 0x0000FF;
  EXPECT_TRUE(list.ColourChosen(kSchemeSubject, buttons));
  EXPECT_EQ(list.Selected(), 0);
  EXPECT_EQ(list.Entries()[0], (ColourScheme{"Blue*", buttons}));
  EXPECT_EQ(list.Entries()[1], File()[0]);  // the file's scheme itself is unchanged
  EXPECT_EQ(list.Text(), "Blue*");

  // A further change to the starred entry keeps its name.
  buttons[kSchemeFrom] = 0x00FF00;
  EXPECT_TRUE(list.ColourChosen(kSchemeFrom, buttons));
  EXPECT_EQ(list.Entries()[0], (ColourScheme{"Blue*", buttons}));

  // So does a change to "ORIGINAL", which is the first entry already.
  SchemeList original(File(), "ORIGINAL", current_);
  SchemeColours changed = current_;
  changed[kSchemeBackground] = 0;
  EXPECT_TRUE(original.ColourChosen(kSchemeBackground, changed));
  EXPECT_EQ(original.Entries()[0], (ColourScheme{"ORIGINAL", changed}));
}

TEST_F(SchemeListTest, AStarredLongNameStillFitsColList) {
  std::vector<ColourScheme> file = {{std::string(31, 'n'), {}}};
  SchemeList list(file, "", current_);
  SchemeColours buttons = list.Choose(1);
  buttons[kSchemeDate] = 7;
  list.ColourChosen(kSchemeDate, buttons);
  EXPECT_EQ(list.Text(), std::string(29, 'n') + "*");
}

TEST(ColourSchemes, SettingsOrderOfTheSevenColours) {
  Settings s;
  SetSchemeColours(s, {1, 2, 3, 4, 5, 6, 7});
  EXPECT_EQ(
      (std::vector<int>{s.bgRgb, s.st1Rgb, s.st2Rgb, s.st3Rgb, s.selRgb, s.preRgb, s.prebgRgb}),
      (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(SchemeColoursOf(s), (SchemeColours{1, 2, 3, 4, 5, 6, 7}));
}

}  // namespace
}  // namespace postwink
