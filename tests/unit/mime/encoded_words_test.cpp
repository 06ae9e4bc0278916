#include "core/mime/encoded_words.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

CharsetContext Platform() {
  return CharsetContext{PlatformSystem().codePage, PlatformCharsetConverter()};
}

TEST(DecodeEncodedWords, Cases) {
  struct Case {
    const char* what;
    std::string_view source;
    std::string_view expected;
  } cases[] = {
      {"plain text", "Hello world", "Hello world"},
      {"B, ISO-2022-JP", "=?ISO-2022-JP?B?GyRCRnxLXDhsGyhC?=", "日本語"},
      {"small letters", "=?iso-2022-jp?b?GyRCRnxLXDhsGyhC?=", "日本語"},
      {"adjacent words join", "=?UTF-8?B?5pel?= \r\n\t=?UTF-8?B?5pys?=", "日本"},
      {"text after a word keeps its space", "=?UTF-8?B?5pel?= x =?UTF-8?B?5pys?=", "日 x 本"},
      {"Q: underscore is a space", "=?UTF-8?Q?a_b=5Fc=20d?=", "a b_c d"},
      {"Q lower case", "=?utf-8?q?caf=C3=A9?=", "café"},
      {"Latin set converted", "=?ISO-8859-1?Q?=A3_5?=", "£ 5"},
      {"RFC 2231 language after the charset", "=?ISO-8859-1*fr?Q?=A3?=", "£"},
      {"Shift_JIS read", "=?Shift_JIS?B?gqA=?=", "あ"},
      {"unknown set: bytes no set reads", "=?x-mac-foo?Q?=E9?=", "\uFFFD"},
      {"unknown encoding letter", "=?UTF-8?X?raw?=", "raw"},
      {"missing ?= stays literal", "=?UTF-8?B?5pel", "=?UTF-8?B?5pel"},
      {"missing parts stay literal", "a =?UTF-8 b", "a =?UTF-8 b"},
      {"raw ISO-2022-JP over the whole value", "Re: \x1B$BF|K\\\x1B(B", "Re: 日本"},
      {"CR LF dropped from decoded words", "=?US-ASCII?Q?a=0D=0Ab?=", "ab"},
      {"a broken pair drops its LF", "=?Shift_JIS?Q?=83=0A?=", "\uFFFD"},
      {"emoji with a joiner", "=?UTF-8?B?8J+RqeKAjfCfkrs=?=", "👩‍💻"},
      {"B, EUC-KR", "=?EUC-KR?B?x9GxuQ==?=", "한국"},
      {"Q, Greek", "=?ISO-8859-7?Q?=E1=E8=DE=ED=E1?=", "αθήνα"},
      {"prefix before and suffix after", "[ml:1] =?UTF-8?B?5pel?=!", "[ml:1] 日!"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeEncodedWords(c.source, Platform()), c.expected) << c.what;
  }
}

// NIHONGO in UTF-8 cut inside a character across two words: the decoded bytes of adjacent words
// in one charset join before they are converted.
TEST(DecodeEncodedWords, ACharacterSplitAcrossWordsComesOutWhole) {
  const std::string nihongo = "日本語";
  struct Case {
    const char* what;
    std::string_view source;
    std::string_view expected;
  } cases[] = {
      {"B, cut in the second character", "=?UTF-8?B?5pel5g==?= =?UTF-8?B?nKzoqp4=?=", nihongo},
      {"B, across a fold", "=?UTF-8?B?5pel5g==?=\r\n =?UTF-8?B?nKzoqp4=?=", nihongo},
      {"Q", "=?UTF-8?Q?=E6=97=A5=E6=9C?= =?UTF-8?Q?=AC=E8=AA=9E?=", nihongo},
      {"charset names differ in case and language",
       "=?UTF-8?B?5pel5g==?= =?utf-8*ja?B?nKzoqp4=?=", nihongo},
      {"ISO-2022-JP cut inside its kanji",
       "=?ISO-2022-JP?B?GyRCRg==?= =?ISO-2022-JP?B?fBsoQg==?=", "日"},
      {"text between: each word alone",
       "=?UTF-8?B?5pel5g==?= x =?UTF-8?B?nKzoqp4=?=", "日\uFFFD x \uFFFD\uFFFD語"},
      {"another charset: space still dropped", "=?UTF-8?B?5pel?= =?ISO-8859-1?Q?=A3?=", "日£"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeEncodedWords(c.source, Platform()), c.expected) << c.what;
  }
}

// Raw 8-bit header text: valid UTF-8 stays; Shift_JIS (which almost never is valid UTF-8) and
// raw ISO-2022-JP are read as such.
TEST(DecodeEncodedWords, RawEightBitHeaders) {
  struct Case {
    const char* what;
    std::string_view source;
    std::string_view expected;
  } cases[] = {
      {"raw UTF-8", "Re: 日本 🎉", "Re: 日本 🎉"},
      {"raw UTF-8 beside a word", "日 =?UTF-8?B?5pys?=", "日 本"},
      {"raw Shift_JIS", "Re: \x93\xFA\x96\x7B", "Re: 日本"},
      {"raw Shift_JIS beside a word", "\x83\x65\x83\x58 =?UTF-8?B?5pys?=", "テス 本"},
      {"raw JIS X 0212 and half-width katakana", "\x1B$(D0!\x1B(B \x1B(I12\x1B(B", "丂 ｱｲ"},
      {"raw bytes no set reads", "caf\xE9", "caf\uFFFD"},
      {"unknown charset, UTF-8 inside", "=?x-unknown?B?5pel?=", "日"},
      {"unknown charset, Shift_JIS inside", "=?x-unknown?Q?=93=FA?=", "日"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeEncodedWords(c.source, Platform()), c.expected) << c.what;
  }
}

TEST(DecodeEncodedWords, ManyFoldedWordsAndUnclosedWordsStayLinear) {
  std::string joined;
  std::string expected;
  for (int i = 0; i < 10000; ++i) {
    joined += "=?UTF-8?B?5pel?=\r\n ";
    expected += "日";
  }
  // White space goes only between two words; the fold after the last one stays.
  EXPECT_TRUE(DecodeEncodedWords(joined, Platform()) == expected + "\r\n ");

  std::string unclosed;
  for (int i = 0; i < 100000; ++i) unclosed += "=?a?b?c ";
  EXPECT_TRUE(DecodeEncodedWords(unclosed, Platform()) == unclosed);
}

}  // namespace
}  // namespace postwink
