#include "core/filter/filter_value.h"

#include <gtest/gtest.h>

#include <string>

namespace postwink {
namespace {

TEST(FilterValue, ReadsTheNinePiecesInOrder) {
  FilterRule rule;
  ReadFilterValue("1,3,2,16777215,255,1,3,1,X-Mailer:", rule);
  EXPECT_EQ(rule.createdMark, 1);
  EXPECT_EQ(rule.target, 3);
  EXPECT_EQ(rule.action, 2);
  EXPECT_EQ(rule.backColour, 0xFFFFFFu);
  EXPECT_EQ(rule.textColour, 255u);
  EXPECT_EQ(rule.useRegex, 1);
  EXPECT_EQ(rule.colourSlot, 3);
  EXPECT_EQ(rule.whenAbsent, 1);
  EXPECT_EQ(rule.headerName, "X-Mailer:");
}

TEST(FilterValue, EmptyPiecesAreSkippedAndShiftLaterPieces) {
  FilterRule rule;
  ReadFilterValue(",,1,,2,3,,", rule);
  EXPECT_EQ(rule.createdMark, 1);
  EXPECT_EQ(rule.target, 2);
  EXPECT_EQ(rule.action, 3);
  EXPECT_EQ(rule.backColour, 0u);
}

TEST(FilterValue, MissingTrailingPiecesLeaveFieldsAsTheyWere) {
  FilterRule before;
  before.useRegex = 1;
  before.colourSlot = 3;
  before.whenAbsent = 1;
  before.headerName = "Old:";
  FilterRule rule = before;
  ReadFilterValue("0,1,2", rule);
  EXPECT_EQ(rule.target, 1);
  EXPECT_EQ(rule.useRegex, 1);
  EXPECT_EQ(rule.headerName, "Old:");
  // The colour slot piece resets the name even when no name piece follows.
  rule = before;
  ReadFilterValue("0,1,2,3,4,0,2", rule);
  EXPECT_EQ(rule.colourSlot, 2);
  EXPECT_EQ(rule.whenAbsent, 1);
  EXPECT_EQ(rule.headerName, "");
}

TEST(FilterValue, NumbersAndWhenAbsent) {
  struct Case {
    const char* piece;
    int32_t number;
    int32_t whenAbsent;
  } cases[] = {
      {"1", 1, 1},   {" 1", 1, 1},          {"1x", 1, 1},
      {"2", 2, 0},   {"-5x", -5, 0},        {"+7", 7, 0},
      {"abc", 0, 0}, {"4294967295", -1, 0}, {"\t-2147483648", INT32_MIN, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadDecimal(c.piece), c.number) << c.piece;
    FilterRule rule;
    ReadFilterValue(std::string("0,0,0,0,0,0,0,") + c.piece, rule);
    EXPECT_EQ(rule.whenAbsent, c.whenAbsent) << c.piece;
  }
}

TEST(FilterValue, HeaderNameCommas) {
  struct Case {
    const char* written;
    const char* name;
  } cases[] = {
      {"a\\,b", "a,b"},     {"\\,x", ",x"}, {"a\\,", "a,"},
      {"a\\,\\,b", "a,,b"}, {"a,b", "a"},  // an unescaped comma ends the name
      {"ソ", "ソ"},                        // KATAKANA SO ends in the byte "\" but is no escape
      {"ソ\\,z", "ソ,z"},
  };
  for (const Case& c : cases) {
    FilterRule rule;
    ReadFilterValue(std::string("0,3,0,0,0,0,0,0,") + c.written, rule);
    EXPECT_EQ(rule.headerName, c.name) << c.written;
  }
}

TEST(FilterValue, LongHeaderNameIsCutAtACharacterBoundary) {
  std::string name;
  for (int i = 0; i < 300; ++i) name += "あ";
  FilterRule rule;
  ReadFilterValue("0,3,0,0,0,0,0,0," + name, rule);
  EXPECT_EQ(rule.headerName, name.substr(0, 255 * 3));  // 255 characters
  std::string commas(5000, ',');
  std::string escaped;
  for (int i = 0; i < 5000; ++i) escaped += "\\,";
  ReadFilterValue("0,3,0,0,0,0,0,0," + escaped, rule);
  EXPECT_EQ(rule.headerName, std::string(kMaxFilterText, ','));
}

TEST(FilterValue, FormatReadsBackTheSameRule) {
  FilterRule rule;
  rule.createdMark = 1;
  rule.target = 3;
  rule.action = 2;
  rule.backColour = 0xE6FFFF;
  rule.textColour = 0xFFFFFFFF;  // written as -1, read back the same
  rule.useRegex = 1;
  rule.colourSlot = 2;
  rule.whenAbsent = 1;
  rule.headerName = ",X-ソ,,Name:,";
  EXPECT_EQ(FormatFilterValue(rule), "1,3,2,15138815,-1,1,2,1,\\,X-ソ\\,\\,Name:\\,");
  FilterRule back;
  ReadFilterValue(FormatFilterValue(rule), back);
  EXPECT_EQ(back, rule);
}

TEST(FilterValue, LegacyManageValue) {
  FilterRule rule;
  rule.headerName = "Keep:";
  ReadManageValue("1,2,2,100,200,999,3,1,Name:", rule);
  EXPECT_EQ(rule.createdMark, 1);
  EXPECT_EQ(rule.target, 2);
  EXPECT_EQ(rule.action, 2);
  EXPECT_EQ(rule.backColour, 100u);
  EXPECT_EQ(rule.textColour, 200u);
  EXPECT_EQ(rule.colourSlot, 3);
  EXPECT_EQ(rule.useRegex, 0);
  EXPECT_EQ(rule.whenAbsent, 0);
  EXPECT_EQ(rule.headerName, "Keep:");
}

}  // namespace
}  // namespace postwink
