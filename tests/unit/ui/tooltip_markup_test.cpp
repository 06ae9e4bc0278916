#include "core/ui/tooltip_markup.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

MarkupToken Text(std::string text) { return MarkupText(std::move(text)); }
MarkupToken Tag(MarkupOp op, std::optional<uint32_t> value = std::nullopt, bool closing = false,
                bool percent = false) {
  return MarkupTag(op, value, closing, percent);
}
MarkupToken Close(MarkupOp op) { return MarkupTag(op, std::nullopt, true); }

TEST(TooltipMarkup, ReadsTagsValuesAndText) {
  using enum MarkupOp;
  struct Case {
    const char* input;
    std::vector<MarkupToken> expected;
  } cases[] = {
      {"plain", {Text("plain")}},
      {"", {}},
      {"<b>bold</b> base", {Tag(kBold), Text("bold"), Close(kBold), Text(" base")}},
      {"<B>x</B>", {Tag(kBold), Text("x"), Close(kBold)}},
      {"<i><u><s>", {Tag(kItalic), Tag(kUnderline), Tag(kStrikeOut)}},
      {"a\r\nb\tc", {Text("a"), Tag(kLineBreak, 1), Text("b"), Tag(kTab, 1), Text("c")}},
      {"<br>", {Tag(kLineBreak)}},
      {"<br=2>", {Tag(kLineBreak, 2)}},
      {"<BR=0>", {Tag(kLineBreak, 0)}},
      {"<br=>", {Tag(kLineBreak)}},  // empty value keeps the default
      {"<t=3>", {Tag(kTab, 3)}},
      {"<ct=0x0000FF>", {Tag(kTextColour, 0x0000FF)}},
      {"<ct=0X00aa00>", {Tag(kTextColour, 0x00AA00)}},
      {"<ct=010>", {Tag(kTextColour, 8)}},  // leading zero: octal
      {"<ct=255>", {Tag(kTextColour, 255)}},
      {"<ct=12abc>", {Tag(kTextColour, 12)}},  // longest valid prefix
      {"<ct=0x>", {Tag(kTextColour, 0)}},
      {"<ct=99999999999>", {Tag(kTextColour, UINT32_MAX)}},
      {"</ct>", {Close(kTextColour)}},
      {"<ct>", {Tag(kTextColour)}},
      {"<ct junk =5 more>", {Tag(kTextColour, 5)}},
      {"<cti=3><cb=0x10><cbi=20></cb>",
       {Tag(kTextColourIndex, 3), Tag(kBackColour, 0x10), Tag(kBackColourIndex, 20),
        Close(kBackColour)}},
      {"<al><al_l><AL_C></al_c><al_r>",
       {Tag(kAlignLeft), Tag(kAlignLeft), Tag(kAlignCentre), Close(kAlignCentre),
        Tag(kAlignRight)}},
      {"<hr=100%>", {Tag(kRule, 100, false, true)}},
      {"<hr=40>", {Tag(kRule, 40)}},
      {"<hr=40 %>", {Tag(kRule, 40)}},  // the value ends at the blank
      {"<hr>", {Tag(kRule)}},
      {"a<<b", {Text("a<b")}},
      {"<<b>", {Text("<b>")}},
      {"a>b", {Text("a>b")}},
      {"x<bold>y<bb=3>z", {Text("xyz")}},  // unknown tags skipped without effect
      {"<>a< b>c", {Text("ac")}},
      {"<b/>x<b/r=2>", {Tag(kBold), Text("x"), Tag(kLineBreak, 2)}},  // later "/" dropped
      {"</br></t></hr=5>x", {Text("x")}},                             // nothing to switch off
      {"a<b", {Text("a")}},  // a tag left open at the end is dropped
      {"a<ct=5", {Text("a")}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseMarkup(c.input), c.expected) << c.input;
}

TEST(TooltipMarkup, KeepsMultiByteCharactersWhole) {
  const std::string kensaku = "検索";
  const std::string tagName = "ッ";  // ッ
  EXPECT_EQ(
      ParseMarkup("<b>" + kensaku + "</b>"),
      (std::vector<MarkupToken>{Tag(MarkupOp::kBold), Text(kensaku), Close(MarkupOp::kBold)}));
  EXPECT_EQ(ParseMarkup("<" + tagName + ">x<ィ>y"), (std::vector<MarkupToken>{Text("xy")}));
  EXPECT_EQ(ParseMarkup("<b>👩‍💻 한국어</b>"),
            (std::vector<MarkupToken>{Tag(MarkupOp::kBold), Text("👩‍💻 한국어"),
                                      Close(MarkupOp::kBold)}));
}

TEST(TooltipMarkup, ReadsTheHelpTextPattern) {
  // "<b><ct=0x0000FF><al_c>検索対象</b><br><ct=0x00AA00><hr=100%></ct><br>..."
  const std::string title = "検索対象";
  const auto tokens =
      ParseMarkup("<b><ct=0x0000FF><al_c>" + title + "</b><br><ct=0x00AA00><hr=100%></ct><br>line");
  using enum MarkupOp;
  EXPECT_EQ(tokens,
            (std::vector<MarkupToken>{Tag(kBold), Tag(kTextColour, 0x0000FF), Tag(kAlignCentre),
                                      Text(title), Close(kBold), Tag(kLineBreak),
                                      Tag(kTextColour, 0x00AA00), Tag(kRule, 100, false, true),
                                      Close(kTextColour), Tag(kLineBreak), Text("line")}));
}

TEST(TooltipMarkup, PlainTextForScreenReaders) {
  struct Case {
    const char* markup;
    const char* said;
  };
  const Case cases[] = {
      {"<b><ct=0x0000FF><al_c>検索対象</b><br><ct=0x00AA00><hr=100%></ct><br>件名\tか差出人",
       "検索対象\n件名\tか差出人"},
      {"one<br=3>two<br>", "one\ntwo"},
      {"<unknown>kept</unknown> &amp; plain", "kept &amp; plain"},
      {"<br><hr=50>", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MarkupPlainText(ParseMarkup(c.markup)), c.said) << c.markup;
  }
}

}  // namespace
}  // namespace postwink
