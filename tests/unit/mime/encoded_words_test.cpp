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
      {"B, ISO-2022-JP", "=?ISO-2022-JP?B?GyRCRnxLXDhsGyhC?=", "\x93\xFA\x96\x7B\x8C\xEA"},
      {"small letters", "=?iso-2022-jp?b?GyRCRnxLXDhsGyhC?=", "\x93\xFA\x96\x7B\x8C\xEA"},
      {"adjacent words join", "=?UTF-8?B?5pel?= \r\n\t=?UTF-8?B?5pys?=", "\x93\xFA\x96\x7B"},
      {"text after a word keeps its space",
       "=?UTF-8?B?5pel?= x =?UTF-8?B?5pys?=", "\x93\xFA x \x96\x7B"},
      {"Q: underscore is a space", "=?UTF-8?Q?a_b=5Fc=20d?=", "a b_c d"},
      {"Q lower case", "=?utf-8?q?caf=C3=A9?=", "caf?"},
      {"Latin set converted", "=?ISO-8859-1?Q?=A3_5?=", "\x81\x92 5"},
      {"RFC 2231 language after the charset", "=?ISO-8859-1*fr?Q?=A3?=", "\x81\x92"},
      {"Shift_JIS passes", "=?Shift_JIS?B?gqA=?=", "\x82\xA0"},
      {"unknown set keeps bytes", "=?x-mac-foo?Q?=E9?=", "\xE9"},
      {"unknown encoding letter", "=?UTF-8?X?raw?=", "raw"},
      {"missing ?= stays literal", "=?UTF-8?B?5pel", "=?UTF-8?B?5pel"},
      {"missing parts stay literal", "a =?UTF-8 b", "a =?UTF-8 b"},
      {"raw ISO-2022-JP over the whole value", "Re: \x1B$BF|K\\\x1B(B", "Re: \x93\xFA\x96\x7B"},
      {"CR LF dropped from decoded words", "=?US-ASCII?Q?a=0D=0Ab?=", "ab"},
      {"trail byte 0x0A-like never dropped", "=?Shift_JIS?Q?=83=0A?=", "\x83\x0A"},
      {"prefix before and suffix after", "[ml:1] =?UTF-8?B?5pel?=!", "[ml:1] \x93\xFA!"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeEncodedWords(c.source, Platform()), c.expected) << c.what;
  }
}

// NIHONGO in UTF-8 cut inside a character across two words: the decoded bytes of adjacent words
// in one charset join before they are converted.
TEST(DecodeEncodedWords, ACharacterSplitAcrossWordsComesOutWhole) {
  const std::string nihongo = "\x93\xFA\x96\x7B\x8C\xEA";
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
       "=?ISO-2022-JP?B?GyRCRg==?= =?ISO-2022-JP?B?fBsoQg==?=", "\x93\xFA"},
      {"text between: each word alone", "=?UTF-8?B?5pel5g==?= x =?UTF-8?B?nKzoqp4=?=",
       "\x93\xFA? x ?"
       "?\x8C\xEA"},
      {"another charset: space still dropped",
       "=?UTF-8?B?5pel?= =?ISO-8859-1?Q?=A3?=", "\x93\xFA\x81\x92"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeEncodedWords(c.source, Platform()), c.expected) << c.what;
  }
}

// Raw 8-bit header text: valid UTF-8 with a multi-byte character is UTF-8; Shift_JIS (which
// almost never is valid UTF-8) and raw ISO-2022-JP keep working as they always did.
TEST(DecodeEncodedWords, RawEightBitHeaders) {
  struct Case {
    const char* what;
    std::string_view source;
    std::string_view expected;
  } cases[] = {
      {"raw UTF-8", "Re: \xE6\x97\xA5\xE6\x9C\xAC", "Re: \x93\xFA\x96\x7B"},
      {"raw UTF-8 beside a word", "\xE6\x97\xA5 =?UTF-8?B?5pys?=", "\x93\xFA \x96\x7B"},
      {"raw Shift_JIS", "Re: \x93\xFA\x96\x7B", "Re: \x93\xFA\x96\x7B"},
      {"raw Shift_JIS that pairs like UTF-8 once", "\x83\x65\x83\x58", "\x83\x65\x83\x58"},
      {"raw Latin-1 stays", "caf\xE9", "caf\xE9"},
      {"unknown charset, UTF-8 inside", "=?x-unknown?B?5pel?=", "\x93\xFA"},
      {"unknown charset, other bytes stand", "=?x-unknown?Q?=93=FA?=", "\x93\xFA"},
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
    expected += "\x93\xFA";
  }
  // White space goes only between two words; the fold after the last one stays.
  EXPECT_TRUE(DecodeEncodedWords(joined, Platform()) == expected + "\r\n ");

  std::string unclosed;
  for (int i = 0; i < 100000; ++i) unclosed += "=?a?b?c ";
  EXPECT_TRUE(DecodeEncodedWords(unclosed, Platform()) == unclosed);
}

}  // namespace
}  // namespace postwink
