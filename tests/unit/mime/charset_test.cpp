#include "core/mime/charset.h"

#include <gtest/gtest.h>

#include "core/mime/unicode_text.h"
#include "core/text/cp932.h"

namespace postwink {
namespace {

using namespace std::string_literals;

// The running platform's own converters: the same expectations hold with iconv and on Windows.
CharsetContext Platform() {
  return CharsetContext{PlatformSystem().codePage, PlatformCharsetConverter()};
}

TEST(ConvertCharset, FourSetsMatchByPrefixWithoutRegardToCase) {
  const std::string jis = "\x1B$BF|K\\\x1B(B";
  struct Case {
    std::string_view text;
    std::string_view name;
    std::string_view expected;
  } cases[] = {
      {jis, "ISO-2022-JP", "\x93\xFA\x96\x7B"},
      {jis, "iso-2022-jp?B?GyRC...", "\x93\xFA\x96\x7B"},  // the rest of an encoded word
      {jis, "ISO-2022-JP-2", "\x93\xFA\x96\x7B"},
      {"\xE6\x97\xA5\xE6\x9C\xAC", "utf-8\"; format=flowed", "\x93\xFA\x96\x7B"},
      {"+ZeVnLA-", "UTF-7", "\x93\xFA\x96\x7B"},
      {"\x1B$)C\x0Ey[OP\x0F", "ISO-2022-KR", "\x8A\xD8\x9A\xA0"},  // hanja, via EUC-KR
  };
  for (const Case& c : cases) {
    std::optional<std::string> out = ConvertCharset(c.text, c.name, Platform());
    ASSERT_TRUE(out) << c.name;
    EXPECT_EQ(*out, c.expected) << c.name;
  }
}

TEST(ConvertCharset, OtherSetsGoThroughUnicodeByWholeName) {
  struct Case {
    std::string_view text;
    std::string_view name;
    std::optional<std::string> expected;
  } cases[] = {
      {"\xC6\xFC\xCB\xDC\xA1\xC1", "EUC-JP", "\x93\xFA\x96\x7B\x81\x60"},  // 日本〜
      {"\xC6\xFC", "euc-jp?B?", "\x93\xFA"},
      {"\xF0\xD2\xC9\xD7\xC5\xD4", "KOI8-R", "\x84\x50\x84\x82\x84\x79\x84\x72\x84\x75\x84\x84"},
      {"caf\xE9", "ISO-8859-1", "caf?"},  // 932 has no e-acute
      {"\xA3"
       "5",
       "iso-8859-1",
       "\x81\x92"
       "5"},                                  // POUND SIGN is a 932 character
      {"\xA4", "ISO-8859-15", "?"},           // the euro sign
      {"\x80", "windows-1252", "?"},          // the euro sign again
      {"\xC0", "windows-1251", "\x84\x40"},   // CYRILLIC CAPITAL A
      {"\x82\xA0", "Shift_JIS", "\x82\xA0"},  // passed through, aliases too
      {"\x82\xA0", "windows-31j", "\x82\xA0"},
      {"\x82\xA0", "x-sjis", "\x82\xA0"},
      {"\x82\xA0", "CP932", "\x82\xA0"},
      {"abc", "ISO-8859-1X", std::nullopt},  // whole names only
      {"abc", "ISO-8859-10", std::nullopt},  // no Windows code page: bytes kept on both sides
      {"abc", "x-unknown", std::nullopt},
      {"abc", "", std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ConvertCharset(c.text, c.name, Platform()), c.expected) << c.name;
}

// Names as mail writes them: case, "-", "_" and the common aliases do not matter.
TEST(ConvertCharset, AliasesOfTheJapaneseAndUnicodeSets) {
  const std::string sjis = "\x93\xFA\x96\x7B";  // NIHON
  struct Case {
    std::string_view text;
    std::string_view name;
  } cases[] = {
      {"\xE6\x97\xA5\xE6\x9C\xAC", "utf8"},
      {"\xE6\x97\xA5\xE6\x9C\xAC", "UTF_8"},
      {"\xE6\x97\xA5\xE6\x9C\xAC", "unicode-1-1-utf-8"},
      {"+ZeVnLA-", "unicode-1-1-utf-7"},
      {"+ZeVnLA-", "utf7"},
      {sjis, "x-sjis"},
      {sjis, "shift-jis"},
      {sjis, "SJIS"},
      {sjis, "windows-31j"},
      {sjis, "cp932"},
      {sjis, "MS_Kanji"},
      {sjis, "csShiftJIS"},
      {"\xC6\xFC\xCB\xDC", "x-euc-jp"},
      {"\xC6\xFC\xCB\xDC", "EUC_JP"},
      {"\x1B$BF|K\\\x1B(B", "csISO2022JP"},
  };
  for (const Case& c : cases) EXPECT_EQ(ConvertCharset(c.text, c.name, Platform()), sjis) << c.name;
}

// The Chinese and Korean sets go through the platform's converter. What 932 holds (the kanji
// that the sets share with Japanese) comes through; anything else, and every byte that is not
// valid in the set, becomes one "?" each, never a wrong character. Both platforms agree.
TEST(ConvertCharset, ChineseAndKoreanSetsThroughThePlatform) {
  struct Case {
    std::string_view text;
    std::string_view name;
    std::string_view expected;
  } cases[] = {
      {"\xD6\xD0\xCE\xC4", "GB2312", "\x92\x86\x95\xB6"},  // zhongwen
      {"\xD6\xD0\xCE\xC4", "gbk", "\x92\x86\x95\xB6"},
      {"\xC3\xC7", "gb2312", "?"},  // a simplified character 932 lacks
      {"\x81\x47", "GBK", "?"},     // a GBK-only character
      {"a\x80"
       "b",
       "gbk", "a?b"},  // the euro sign
      {"\xD6\xD0\xCE\xC4", "GB18030", "\x92\x86\x95\xB6"},
      {"\x84\x31\x97\x33!", "gb18030", "?!"},  // a four-byte character: one "?"
      {"\xD6\xD0\x81\x30\x89\x38\xCE\xC4", "gb18030", "\x92\x86?\x95\xB6"},
      {"\xA4\xA4\xA4\xE5", "Big5", "\x92\x86\x95\xB6"},
      {"\xA3\x74", "big5", "?"},                           // bopomofo
      {"\xF9\xDB\xCF\xD0", "EUC-KR", "\x8A\xD8\x9A\xA0"},  // hanja
      {"\xC7\xD1\xB1\xB9!", "euc-kr",
       "?"
       "?!"},  // hangul
      {"\xF9\xDB\xCF\xD0", "ks_c_5601-1987", "\x8A\xD8\x9A\xA0"},
      {"\x1B$)C\x0EGQ19\x0F!", "ISO-2022-KR",
       "?"
       "?!"},
      // Invalid bytes: a lead byte without its trail, at the end and before ASCII, and a
      // byte that no character starts with.
      {"x\xD6", "gb2312", "x?"},
      {"\xD6 \xD6\xD0\xCE\xC4", "gbk", "? \x92\x86\x95\xB6"},
      {"\xFF\xD6\xD0", "gbk", "?\x92\x86"},
      {"\xA4", "big5", "?"},
      {"\xC7\x0A\xD1", "euc-kr", "?\x0A?"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConvertCharset(c.text, c.name, Platform()), c.expected) << c.name << " " << c.text;
  }
}

// A label that does not fit Japanese text does not garble it: ISO-2022-JP escapes are always
// read as such, a US-ASCII label passes 8-bit bytes (Shift_JIS) through, and a Latin label
// converts only text that is not plainly Shift_JIS.
TEST(ConvertCharset, MislabelledJapaneseStaysReadable) {
  struct Case {
    std::string_view text;
    std::string_view name;
    std::string_view expected;
  } cases[] = {
      {"\x1B$BF|K\\\x1B(B", "us-ascii", "\x93\xFA\x96\x7B"},
      {"\x1B$BF|K\\\x1B(B", "iso-8859-1", "\x93\xFA\x96\x7B"},
      {"\x1B$BF|K\\\x1B(B", "windows-1252", "\x93\xFA\x96\x7B"},
      {"\x1B$BF|K\\\x1B(B", "utf-8", "\x93\xFA\x96\x7B"},
      {"\x1B$@F|K\\\x1B(J", "EUC-JP", "\x93\xFA\x96\x7B"},
      {"\x82\xA0\x82\xA2", "us-ascii", "\x82\xA0\x82\xA2"},
      {"\xE6\x97\xA5", "us-ascii", "\x93\xFA"},  // 8-bit under US-ASCII: valid UTF-8 is UTF-8
      {"ab\x82", "us-ascii", "ab\x82"},
      {"\x82\xA0\x82\xA2 \xB1", "iso-8859-1", "\x82\xA0\x82\xA2 \xB1"},
      {"\x82\xA0\x82\xA2", "iso-8859-15", "\x82\xA0\x82\xA2"},
      // Latin text stays Latin, even where its bytes could pair up as Shift_JIS.
      {"M\xFCller", "iso-8859-1", "M?ller"},
      {"\xA3"
       "5 caf\xE9",
       "iso-8859-1",
       "\x81\x92"
       "5 caf?"},
      {"\x93quoted\x94.", "windows-1252", "\x81\x67quoted\x81\x68."},
      {"\x82\xA0", "ISO-2022-KR", "?"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConvertCharset(c.text, c.name, Platform()), c.expected) << c.name << " " << c.text;
  }
}

TEST(DecodeUnlabelledText, Utf8OnlyWhenValidAndMultiByte) {
  struct Case {
    std::string_view text;
    std::string_view expected;
  } cases[] = {
      {"\xE6\x97\xA5 caf\xC3\xA9", "\x93\xFA caf?"},
      {"\x93\xFA\x96\x7B", "\x93\xFA\x96\x7B"},  // Shift_JIS is not valid UTF-8
      {"\xC6\xFC\xCB\xDC", "\xC6\xFC\xCB\xDC"},  // nor is EUC-JP: bytes stand
      {"\x1B$BF|K\\\x1B(B", "\x93\xFA\x96\x7B"},
      {"\xE6\x97", "\xE6\x97"},  // cut short: not UTF-8
      {"plain", "plain"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeUnlabelledText(c.text, Platform()), c.expected);
}

TEST(ConvertViaUnicode, JapaneseDuplicatesMapToTheirCp932Characters) {
  // WAVE DASH, DOUBLE VERTICAL LINE, MINUS SIGN, EM DASH, CENT, POUND, NOT SIGN, and the forms
  // that 932 itself decodes to.
  const std::string utf8 =
      "\xE3\x80\x9C\xE2\x80\x96\xE2\x88\x92\xE2\x80\x94\xC2\xA2\xC2\xA3\xC2\xAC"
      "\xEF\xBD\x9E\xE2\x88\xA5\xEF\xBC\x8D\xE2\x80\x95\xEF\xBF\xA0\xEF\xBF\xA1\xEF\xBF\xA2";
  const std::string once = "\x81\x60\x81\x61\x81\x7C\x81\x5C\x81\x91\x81\x92\x81\xCA";
  EXPECT_EQ(ConvertViaUnicode(utf8, UnicodeForm::kUtf8, Platform()), once + once);
  EXPECT_EQ(ConvertViaUnicode("+MBwgFiISIBQAogCjAKw-", UnicodeForm::kUtf7, Platform()), once);
}

TEST(ConvertViaUnicode, CharactersThat932LacksBecomeQuestionMarks) {
  struct Case {
    std::string_view utf8;
    std::string_view expected;
  } cases[] = {
      {"\xC2\xA5\xE2\x80\xBE", "\\~"},  // YEN SIGN and OVERLINE: their JIS X 0201 places
      {"\xC3\xA0", "?"},                // a-grave: no best-fit "a"
      {"\xC3\xA9t\xC3\xA9", "?t?"},     // e-acute: no best-fit "e"
      {"\xE2\x82\xAC"
       "1",
       "?1"},                        // EURO SIGN
      {"\xF0\x9F\x98\x80!", "?!"},   // outside the BMP: one "?" for the pair
      {"\xE2\x91\xA0", "\x87\x40"},  // NEC extensions are 932 characters
      {"\xFF"
       "a\xE6\x97",
       "?a?"},  // broken UTF-8
      {"\xEF\xBB\xBF"
       "a",
       "a"},  // a byte order mark at the start
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConvertViaUnicode(c.utf8, UnicodeForm::kUtf8, Platform()), c.expected) << c.utf8;
  }
}

TEST(ConvertViaUnicode, IbmExtensionsAre932Characters) {
  // Which of its two 932 codes a platform picks does not matter; it must not become "?".
  const std::optional<std::string> out =
      ConvertViaUnicode("\xE9\xAB\x99", UnicodeForm::kUtf8, Platform());  // U+9AD9
  ASSERT_TRUE(out);
  EXPECT_EQ(out->size(), 2u);
  EXPECT_TRUE(IsLeadByte((*out)[0]));
}

TEST(ConvertBodyCharset, FindsTheCharsetParameter) {
  const std::string utf8Body = "\xE6\x97\xA5\xE6\x9C\xAC\r\n";
  const std::string sjisBody = "\x93\xFA\x96\x7B\r\n";
  struct Case {
    std::string_view body;
    std::string_view contentType;
    std::string_view expected;
  } cases[] = {
      {utf8Body, "text/plain; charset=\"utf-8\"", sjisBody},
      {utf8Body, "text/plain;\tformat=flowed;  CHARSET = UTF-8", sjisBody},
      {utf8Body, "text/plain; charset=x-unknown; charset=utf-8", sjisBody},  // next one converts
      {"\x1B$BF|K\\\x1B(B\r\n", "text/plain; charset=iso-2022-jp", sjisBody},
      {"\x1B$BF|K\\\x1B(B\r\n", "text/plain", sjisBody},  // no charset: the JIS pass
      {"\x1B$BF|K\\\x1B(B\r\n", "", sjisBody},
      {"\xC6\xFC\xCB\xDC\r\n", "text/plain; charset=EUC-JP", sjisBody},
      {sjisBody, "text/plain; charset:utf-8", sjisBody},      // no "=": stop looking
      {utf8Body, "text/plain; charset=x-unknown", sjisBody},  // unknown: valid UTF-8 is UTF-8
      {utf8Body, "", sjisBody},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConvertBodyCharset(c.body, c.contentType, Platform()), c.expected) << c.contentType;
  }
}

TEST(DecodeRfc2231Value, SplitsCharsetLanguageAndValue) {
  struct Case {
    std::string_view text;
    std::string_view expected;
  } cases[] = {
      {"UTF-8''%E6%97%A5%E6%9C%AC.txt", "\x93\xFA\x96\x7B.txt"},
      {"iso-2022-jp'ja'%1B%24BF%7CK%5C%1B%28B", "\x93\xFA\x96\x7B"},
      {"unknown'en'a%20b", "a b"},
      {"a%20b'c", "a b'c"},        // one apostrophe: all of it is the value
      {"utf-8'en'", "utf-8'en'"},  // nothing after the second: all of it is the value
      {"''x+y", "x+y"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DecodeRfc2231Value(c.text, Platform()), c.expected) << c.text;
}

TEST(Utf7ToUtf16, ShiftRules) {
  EXPECT_EQ(Utf7ToUtf16("a+-b"), u"a+b");
  EXPECT_EQ(Utf7ToUtf16("+ZeVnLA-x"), u"\u65E5\u672Cx");
  EXPECT_EQ(Utf7ToUtf16("+ZeVnLA.x"), u"\u65E5\u672C.x");  // any other byte ends the run
  EXPECT_EQ(Utf7ToUtf16("+ZeVnLA"), u"\u65E5\u672C");
  EXPECT_EQ(Utf7ToUtf16("+Z-"), u"");  // left-over bits are dropped
  EXPECT_EQ(Utf7ToUtf16("\xE9"), u"\uFFFD");
}

TEST(Utf8ToUtf16, InvalidSequencesBecomeReplacementCharacters) {
  struct Case {
    std::string_view utf8;
    std::u16string_view expected;
  } cases[] = {
      {"\xC0\xAF", u"\uFFFD\uFFFD"},            // overlong
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // a surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"\xE6\x97"
       "a",
       u"\uFFFD"
       "a"},  // cut short by an ASCII byte
      {"\xF0\x9F\x98\x80", u"\U0001F600"},
      {"a\xEF\xBB\xBF", u"a\uFEFF"},  // only a leading BOM is dropped
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8ToUtf16(c.utf8), c.expected);
}

}  // namespace
}  // namespace postwink
