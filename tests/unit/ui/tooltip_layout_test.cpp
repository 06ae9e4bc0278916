#include "core/ui/tooltip_layout.h"

#include <gtest/gtest.h>

#include "unit/ui/fake_text_measurer.h"

namespace postwink {
namespace {

constexpr uint32_t kInfoText = 0x112233;
constexpr uint32_t kInfoBack = 0xE1FFFF;

class TooltipLayoutTest : public ::testing::Test {
 protected:
  MarkupMeasure Measure(std::string_view text) { return Layout().Measure(ParseMarkup(text)); }
  // Draws into a text area exactly as large as the measured size, at (12, 12).
  MarkupDrawing Draw(std::string_view text, Rect* areaOut = nullptr) {
    const auto tokens = ParseMarkup(text);
    const MarkupMeasure measure = Layout().Measure(tokens);
    const Rect area{12, 12, 12 + measure.size.width, 12 + measure.size.height};
    if (areaOut != nullptr) *areaOut = area;
    return Layout().Draw(tokens, area, measure);
  }
  TooltipLayout Layout() { return TooltipLayout(base_, colours_, measurer_); }

  FontStyle base_;
  TooltipColourTable colours_ = MakeTooltipColourTable(kInfoText, kInfoBack, 0x808080);
  FakeTextMeasurer measurer_;
};

TEST_F(TooltipLayoutTest, MeasuresLinesTabsAndRules) {
  struct Case {
    const char* input;
    Size size;
    std::vector<int> lines;
  } cases[] = {
      {"", {0, 16}, {0}},
      {"abc", {18, 16}, {18}},
      {"abc\r\nde", {18, 32}, {18, 12}},
      {"abc<br>de", {18, 32}, {18, 12}},
      {"a<br=2>b", {6, 48}, {6, 6}},  // one empty line between
      {"a<br=0>b", {6, 32}, {6, 6}},  // 0 counts as 1
      {"a<br>", {6, 32}, {6, 0}},
      {"<b>ab</b>cd", {26, 16}, {26}},  // bold runs are measured in the bold font
      {"a\tb", {26, 16}, {26}},         // to the next stop at 20
      {"\tb", {26, 16}, {26}},          // on a stop: one full stop
      {"abc\tx", {26, 16}, {26}},
      {"abcd\tx", {46, 16}, {46}},  // 24 is past the first stop
      {"a<t=2>b", {46, 16}, {46}},  // the move to the next stop counts as one
      {"<t=2>b", {46, 16}, {46}},
      {"<t=0>b", {26, 16}, {26}},
      {"ab<hr=10>c", {28, 16}, {28}},
      {"abcdef<br><hr=100%>", {36, 32}, {36, 36}},  // percentages of the widest line
      {"abcdef<br><hr=50%>", {36, 32}, {36, 18}},
      {"abcdef<br>ab<hr>", {36, 32}, {36, 48}},  // no value: 100 %
      {"<al_c>ab<al_r>", {12, 16}, {12}},        // alignment does not change the size
      {"<ct=5><i><u><s>ab", {12, 16}, {12}},
      {"\x8c\x9f<br=99999999999>x", {12, 16 * 1001}, {12, 6}},  // absurd counts are capped
  };
  for (const Case& c : cases) {
    const MarkupMeasure m = Measure(c.input);
    EXPECT_EQ(m.size, c.size) << c.input;
    EXPECT_EQ(m.lineWidths, c.lines) << c.input;
  }
}

TEST_F(TooltipLayoutTest, HugeTextsSaturateInsteadOfOverflowing) {
  std::string down, across;
  for (int i = 0; i < 20000; ++i) {
    down += "<br=1000>";
    across += "<t=1000><hr=1000%>";
  }
  EXPECT_EQ(Measure(down).size.height, 1 << 28);
  const MarkupMeasure m = Measure(across);
  EXPECT_EQ(m.size.width, 1 << 28);
  EXPECT_EQ(m.lineWidths, std::vector<int>{1 << 28});
}

TEST_F(TooltipLayoutTest, DrawsTheHelpTextPatternCentredWithAFullWidthRule) {
  Rect area;
  const MarkupDrawing d =
      Draw("<b><ct=0x0000FF><al_c>Title</b><br><ct=0x00AA00><hr=100%></ct><br>explanation", &area);
  // Widest line: "explanation", 66 pixels; the bold title is 35.
  ASSERT_EQ(area.Width(), 66);
  ASSERT_EQ(d.runs.size(), 2u);
  EXPECT_EQ(d.runs[0].text, "Title");
  EXPECT_EQ(d.runs[0].origin, (Point{12 + (66 - 35) / 2, 12}));
  EXPECT_EQ(d.runs[0].font.weight, 800);
  EXPECT_EQ(d.runs[0].textColour, 0x0000FFu);
  // The rule spans the whole width from the left edge, green, through the middle of line 2.
  ASSERT_EQ(d.rules.size(), 1u);
  EXPECT_EQ(d.rules[0].left, area.left);
  EXPECT_EQ(d.rules[0].right, area.right);
  EXPECT_EQ(d.rules[0].y, 12 + 16 + 8);
  EXPECT_EQ(d.rules[0].colour, 0x00AA00u);
  // Alignment stays in force; "</ct>" brings back the system text colour, "</b>" the weight.
  EXPECT_EQ(d.runs[1].origin, (Point{12, 12 + 32}));
  EXPECT_EQ(d.runs[1].textColour, kInfoText);
  EXPECT_EQ(d.runs[1].font.weight, 400);
}

TEST_F(TooltipLayoutTest, AlignsEachLineByItsMeasuredWidth) {
  Rect area;
  const MarkupDrawing d = Draw("abcdef<br><al_r>ab<br>cd</al_r>x<br><al_c>\tq", &area);
  ASSERT_EQ(d.runs.size(), 5u);
  EXPECT_EQ(d.runs[0].origin.x, 12);  // not yet aligned
  EXPECT_EQ(d.runs[1].origin.x, area.right - 12);
  // The closing tag comes after the line's first run: the line stays right-aligned.
  EXPECT_EQ(d.runs[2].origin.x, area.right - 18);
  EXPECT_EQ(d.runs[3].origin.x, area.right - 6);
  // A leading tab moves with its centred line: the line is 26 wide in a 36 wide area.
  EXPECT_EQ(d.runs[4].origin.x, 12 + 5 + 20);
}

TEST_F(TooltipLayoutTest, DrawsPlainTextLeftAlignedInTheBaseFont) {
  const MarkupDrawing d = Draw("one\ntwo\n\nfour");
  ASSERT_EQ(d.runs.size(), 3u);
  const int ys[] = {12, 28, 60};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(d.runs[i].origin, (Point{12, ys[i]}));
    EXPECT_EQ(d.runs[i].font, base_);
    EXPECT_EQ(d.runs[i].textColour, kInfoText);
    EXPECT_FALSE(d.runs[i].opaque);
  }
}

TEST_F(TooltipLayoutTest, AppliesColoursAndFontChanges) {
  const MarkupDrawing d =
      Draw("<cti=11>a<cti=30>b</cti>c<cb=0x123456>d</cb>e<cbi=2>f<cbi>g<i><u><s>h</i></u></s>i<<");
  ASSERT_EQ(d.runs.size(), 9u);
  struct Expect {
    uint32_t text;
    uint32_t back;
    bool opaque;
  } expected[] = {
      {0x0000FF, kInfoBack, false},  // a: table entry 11
      {0x0000FF, kInfoBack, false},  // b: index 30 is ignored
      {kInfoText, kInfoBack, false}, {kInfoText, 0x123456, true},
      {kInfoText, 0x123456, false},  // the closing tag only makes it transparent
      {kInfoText, 0x008000, true},   {kInfoText, kInfoBack, true},  // no index: entry 18
      {kInfoText, kInfoBack, true},  {kInfoText, kInfoBack, true},
  };
  for (size_t i = 0; i < 9; ++i) {
    EXPECT_EQ(d.runs[i].textColour, expected[i].text) << i;
    EXPECT_EQ(d.runs[i].backColour, expected[i].back) << i;
    EXPECT_EQ(d.runs[i].opaque, expected[i].opaque) << i;
  }
  EXPECT_TRUE(d.runs[7].font.italic && d.runs[7].font.underline && d.runs[7].font.strikeOut);
  EXPECT_EQ(d.runs[8].font, base_);
  EXPECT_EQ(d.runs[8].text, "i<");
}

TEST_F(TooltipLayoutTest, BoldDoublesTheBaseWeightUpTo900) {
  base_.weight = 700;
  const MarkupDrawing d = Draw("<b>x</b>y");
  EXPECT_EQ(d.runs[0].font.weight, 900);
  EXPECT_EQ(d.runs[1].font.weight, 700);
}

}  // namespace
}  // namespace postwink
