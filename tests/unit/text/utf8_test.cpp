#include "core/text/utf8.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

TEST(Utf8, DecodeTakesOneCharacterAndRejectsWhatIsNotUtf8) {
  struct Case {
    std::string_view text;
    char32_t codePoint;
    size_t length;
    bool valid;
  } cases[] = {
      {"A", U'A', 1, true},
      {"é", U'é', 2, true},
      {"日", U'日', 3, true},
      {"😀", U'😀', 4, true},
      {"\xC0\xAF", 0xFFFD, 1, false},          // overlong
      {"\xE0\x80\x80", 0xFFFD, 1, false},      // overlong
      {"\xED\xA0\x80", 0xFFFD, 1, false},      // a surrogate
      {"\xF4\x90\x80\x80", 0xFFFD, 1, false},  // above U+10FFFF
      {"\xE6\x97"
       "a",
       0xFFFD, 2, false},  // cut short: the ASCII byte starts afresh
      {"\x80", 0xFFFD, 1, false},
      {"\xFF", 0xFFFD, 1, false},
  };
  for (const Case& c : cases) {
    const DecodedChar ch = DecodeChar(c.text, 0);
    EXPECT_EQ(ch.codePoint, c.codePoint) << c.text;
    EXPECT_EQ(ch.length, c.length) << c.text;
    EXPECT_EQ(ch.valid, c.valid) << c.text;
  }
}

TEST(Utf8, EncodeAndUtf16RoundTrip) {
  for (char32_t c : {U'A', U'é', U'日', U'😀', char32_t{0x10FFFF}}) {
    std::string utf8;
    AppendUtf8(utf8, c);
    EXPECT_EQ(DecodeChar(utf8, 0).codePoint, c);
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(utf8)), utf8);
  }
  EXPECT_EQ(Utf8ToUtf16("a😀"), u"a\U0001F600");
  EXPECT_EQ(Utf8ToUtf16("\xEF\xBB\xBF"
                        "a\xEF\xBB\xBF"),
            u"a\uFEFF");  // only a leading BOM goes
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");
  EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\uFFFDx");  // an unpaired surrogate
  EXPECT_EQ(ToValidUtf8("a\xFF"
                        "b\xE6\x97"),
            "a\uFFFDb\uFFFD");
}

TEST(Utf8, CountsCharactersNotBytes) {
  EXPECT_EQ(CountChars(""), 0u);
  EXPECT_EQ(CountChars("José"), 4u);
  EXPECT_EQ(CountChars("会议通知"), 4u);
  EXPECT_EQ(CountChars("a😀"), 2u);
  EXPECT_EQ(CountUtf16Units("a😀"), 3u);
}

// A cut never splits a character, nor what the reader sees as one: a letter and its combining
// mark, an emoji and its skin tone or variation selector, the members of a joiner sequence, the
// two halves of a flag.
TEST(Utf8, CutsKeepCharactersAndClustersWhole) {
  const std::string family = "👩‍👩‍👧";  // woman, ZWJ, woman, ZWJ, girl
  struct Case {
    std::string text;
    size_t maxChars;
    std::string expected;
  } cases[] = {
      {"abc", 0, ""},
      {"abc", 2, "ab"},
      {"会议通知", 2, "会议"},
      {"a" + family, 2, "a"},
      {"a" + family, 4, "a"},
      {"a" + family + "b", 6, "a" + family},
      {"e\xCC\x81x", 1, ""},  // e and COMBINING ACUTE
      {"e\xCC\x81x", 2, "e\xCC\x81"},
      {"👍🏽!", 1, ""},
      {"❤️!", 2, "❤️"},
      {"🇯🇵🇰🇷", 3, "🇯🇵"},
      {"กี่", 2, ""},  // Thai consonant with its vowel and tone marks
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CutToChars(c.text, c.maxChars), c.expected) << c.text << " " << c.maxChars;
  }
  // By bytes and by UTF-16 units the same rules hold.
  EXPECT_EQ(CutAtCharBoundary("a日", 3), "a");
  EXPECT_EQ(CutAtCharBoundary("a日", 4), "a日");
  EXPECT_EQ(CutToUtf16Units("ab😀c", 3), "ab");
  EXPECT_EQ(CutToUtf16Units("ab😀c", 4), "ab😀");
}

}  // namespace
}  // namespace postwink
