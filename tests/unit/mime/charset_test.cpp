#include "core/mime/charset.h"

#include <gtest/gtest.h>

#include "core/mime/unicode_text.h"

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
      {jis, "ISO-2022-JP", "日本"},
      {jis, "iso-2022-jp?B?GyRC...", "日本"},  // the rest of an encoded word
      {jis, "ISO-2022-JP-2", "日本"},
      {"日本", "utf-8\"; format=flowed", "日本"},
      {"+ZeVnLA-", "UTF-7", "日本"},
      {"\x1B$)C\x0Ey[OP\x0F", "ISO-2022-KR", "韓國"},  // hanja, via EUC-KR
      {"\x1B$)C\x0EGQ19\x0F!", "ISO-2022-KR", "한국!"},
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
      // EUC-JP reads WAVE DASH as Windows reads Shift_JIS 0x8160: FULLWIDTH TILDE.
      {"\xC6\xFC\xCB\xDC\xA1\xC1", "EUC-JP", "日本～"},
      {"\xC6\xFC", "euc-jp?B?", "日"},
      {"\x8F\xB0\xA1", "EUC-JP", "丂"},  // JIS X 0212
      {"\xF0\xD2\xC9\xD7\xC5\xD4", "KOI8-R", "Привет"},
      {"caf\xE9", "ISO-8859-1", "café"},
      {"\xA3"
       "5",
       "iso-8859-1", "£5"},
      {"\xA4", "ISO-8859-15", "€"},
      {"\x80", "windows-1252", "€"},
      {"\xE1\xE8\xEB\xE1", "ISO-8859-7", "αθλα"},
      {"\xCA\xC7\xD1\xCA", "windows-874", "สวัส"},
      {"\xC0", "windows-1251", "А"},
      {"\x82\xA0", "Shift_JIS", "あ"},
      {"\x82\xA0", "windows-31j", "あ"},
      {"\x82\xA0", "x-sjis", "あ"},
      {"\x82\xA0", "CP932", "あ"},
      // Shift_JIS 0x8160 and its kin as Windows reads them.
      {"\x81\x60\x81\x61\x81\x7C", "Shift_JIS", "～∥－"},
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
      {"日本", "utf8"},
      {"日本", "UTF_8"},
      {"日本", "unicode-1-1-utf-8"},
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
  for (const Case& c : cases)
    EXPECT_EQ(ConvertCharset(c.text, c.name, Platform()), "日本") << c.name;
}

// The Chinese and Korean sets go through the platform's converter; every byte that is not valid
// in the set becomes U+FFFD, never a wrong character. Both platforms agree.
TEST(ConvertCharset, ChineseAndKoreanSetsThroughThePlatform) {
  struct Case {
    std::string_view text;
    std::string_view name;
    std::string_view expected;
  } cases[] = {
      {"\xD6\xD0\xCE\xC4", "GB2312", "中文"},
      {"\xD6\xD0\xCE\xC4", "gbk", "中文"},
      {"\xC3\xC7", "gb2312", "们"},
      {"\x81\x47", "GBK", "丟"},  // a GBK-only character
      {"a\x80"
       "b",
       "gbk", "a€b"},
      {"\xD6\xD0\xCE\xC4", "GB18030", "中文"},
      {"\xA4\xA4\xA4\xE5", "Big5", "中文"},
      {"\xA3\x74", "big5", "ㄅ"},
      {"\xF9\xDB\xCF\xD0", "EUC-KR", "韓國"},
      {"\xC7\xD1\xB1\xB9!", "euc-kr", "한국!"},
      {"\xF9\xDB\xCF\xD0", "ks_c_5601-1987", "韓國"},
      // Invalid bytes: a lead byte without its trail, at the end and before ASCII, and a
      // byte that no character starts with.
      {"x\xD6", "gb2312", "x\uFFFD"},
      {"\xD6 \xD6\xD0\xCE\xC4", "gbk", "\uFFFD 中文"},
      {"\xFF\xD6\xD0", "gbk", "\uFFFD中"},
      {"\xA4", "big5", "\uFFFD"},
      {"\xC7\x0A\xD1", "euc-kr", "\uFFFD\x0A\uFFFD"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConvertCharset(c.text, c.name, Platform()), c.expected) << c.name << " " << c.text;
  }
}

// A label that does not fit Japanese text does not garble it: ISO-2022-JP escapes are always
// read as such, a US-ASCII label reads 8-bit bytes as unlabelled text, and a Latin label
// converts only text that is not plainly Shift_JIS.
TEST(ConvertCharset, MislabelledJapaneseStaysReadable) {
  struct Case {
    std::string_view text;
    std::string_view name;
    std::string_view expected;
  } cases[] = {
      {"\x1B$BF|K\\\x1B(B", "us-ascii", "日本"},
      {"\x1B$BF|K\\\x1B(B", "iso-8859-1", "日本"},
      {"\x1B$BF|K\\\x1B(B", "windows-1252", "日本"},
      {"\x1B$BF|K\\\x1B(B", "utf-8", "日本"},
      {"\x1B$@F|K\\\x1B(J", "EUC-JP", "日本"},
      {"\x82\xA0\x82\xA2", "us-ascii", "あい"},
      {"日", "us-ascii", "日"},  // 8-bit under US-ASCII: valid UTF-8 is UTF-8
      {"ab\x82", "us-ascii", "ab\uFFFD"},
      {"\x82\xA0\x82\xA2 \xB1", "iso-8859-1", "あい ｱ"},
      {"\x82\xA0\x82\xA2", "iso-8859-15", "あい"},
      // Latin text stays Latin, even where its bytes could pair up as Shift_JIS.
      {"M\xFCller", "iso-8859-1", "Müller"},
      {"\xA3"
       "5 caf\xE9",
       "iso-8859-1", "£5 café"},
      {"\x93quoted\x94.", "windows-1252", "“quoted”."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConvertCharset(c.text, c.name, Platform()), c.expected) << c.name << " " << c.text;
  }
}

TEST(DecodeUnlabelledText, Utf8WhenValidElseJapanese) {
  struct Case {
    std::string_view text;
    std::string_view expected;
  } cases[] = {
      {"日 café", "日 café"},
      {"\x93\xFA\x96\x7B", "日本"},  // Shift_JIS is not valid UTF-8
      {"\x1B$BF|K\\\x1B(B", "日本"},
      {"\x1B$(D0!\x1B(B \x1B(I12\x1B(B", "丂 ｱｲ"},  // JIS X 0212 and half-width katakana
      {"\xE6\x97", "譌"},                           // cut short as UTF-8, whole as Shift_JIS
      {"\xE6", "\uFFFD"},
      {"plain", "plain"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeUnlabelledText(c.text, Platform()), c.expected);
}

TEST(ConvertViaUnicode, EveryCharacterComesThroughAsItself) {
  struct Case {
    std::string_view utf8;
    std::string_view expected;
  } cases[] = {
      // WAVE DASH and its kin stay what UTF-8 says: only the Japanese sets are read the
      // Windows way.
      {"〜‖−—¢£¬", "〜‖−—¢£¬"},
      {"¥‾", "¥‾"},
      {"café €1", "café €1"},
      {"👩‍💻 ①", "👩‍💻 ①"},
      {"\xFF"
       "a\xE6\x97",
       "\uFFFD"
       "a\uFFFD"},  // broken UTF-8
      {"\xEF\xBB\xBF"
       "a",
       "\xEF\xBB\xBF"
       "a"},  // a byte order mark stays: only stored files drop it
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConvertViaUnicode(c.utf8, UnicodeForm::kUtf8, Platform()), c.expected) << c.utf8;
  }
  EXPECT_EQ(ConvertViaUnicode("+MBwgFiISIBQAogCjAKw-", UnicodeForm::kUtf7, Platform()), "〜‖−—¢£¬");
  EXPECT_EQ(ConvertViaUnicode("+2D3eAA-", UnicodeForm::kUtf7, Platform()), "😀");
}

TEST(ConvertBodyCharset, FindsTheCharsetParameter) {
  const std::string utf8Body = "日本\r\n";
  struct Case {
    std::string_view body;
    std::string_view contentType;
    std::string_view expected;
  } cases[] = {
      {utf8Body, "text/plain; charset=\"utf-8\"", utf8Body},
      {utf8Body, "text/plain;\tformat=flowed;  CHARSET = UTF-8", utf8Body},
      {utf8Body, "text/plain; charset=x-unknown; charset=utf-8", utf8Body},  // next one converts
      {"\x1B$BF|K\\\x1B(B\r\n", "text/plain; charset=iso-2022-jp", utf8Body},
      {"\x1B$BF|K\\\x1B(B\r\n", "text/plain", utf8Body},  // no charset: unlabelled
      {"\x1B$BF|K\\\x1B(B\r\n", "", utf8Body},
      {"\xC6\xFC\xCB\xDC\r\n", "text/plain; charset=EUC-JP", utf8Body},
      {"\x93\xFA\x96\x7B\r\n", "text/plain; charset=shift_jis", utf8Body},
      {"\x93\xFA\x96\x7B\r\n", "text/plain; charset:utf-8", utf8Body},  // no "=": unlabelled
      {utf8Body, "text/plain; charset=x-unknown", utf8Body},  // unknown: valid UTF-8 is UTF-8
      {utf8Body, "", utf8Body},
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
      {"UTF-8''%E6%97%A5%E6%9C%AC.txt", "日本.txt"},
      {"utf-8''%EA%B2%AC%EC%A0%81%EC%84%9C.xlsx", "견적서.xlsx"},
      {"iso-2022-jp'ja'%1B%24BF%7CK%5C%1B%28B", "日本"},
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

}  // namespace
}  // namespace postwink
