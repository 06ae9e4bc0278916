// The code page bridge of the running platform (iconv natively, the Win32 conversion functions
// under Wine). Both builds run this same table, so the two must agree.
#include <gtest/gtest.h>

#include <string>

#include "core/platform/system.h"

namespace postwink {
namespace {

struct WidenCase {
  const char* name;
  std::string cp932;
  std::u16string utf16;
};

const WidenCase kWidenCases[] = {
    {"empty", "", u""},
    {"ascii keeps backslash and tilde", "a\\~ Z", u"a\\~ Z"},
    // あ漢
    {"hiragana and kanji", "\x82\xa0\x8a\xbf", u"\u3042\u6f22"},
    // ｱｲｳ (half-width katakana)
    {"half-width katakana", "\xb1\xb2\xb3", u"\uff71\uff72\uff73"},
    // ～ (the Microsoft mapping of the wave dash row), ＼
    {"full-width tilde and backslash", "\x81\x60\x81\x5f", u"\uff5e\uff3c"},
    // ① ㈱ (NEC row 13), ⅰ (IBM extension)
    {"vendor extensions", "\x87\x40\x87\x8a\xfa\x40", u"\u2460\u3231\u2170"},
    {"user-defined area", "\xf0\x40", u"\ue000"},
    {"lead byte at the end", "a\x82", u"a?"},
    {"lead byte before a byte that cannot trail", "\x82\x20x", u"? x"},
    {"bytes that are no character", "\x80|\xa0|\xfd|\xff", u"?|?|?|?"},
};

TEST(CodePage, WidenTable) {
  const CodePage& cp = PlatformSystem().codePage;
  for (const WidenCase& c : kWidenCases) EXPECT_EQ(cp.Widen(c.cp932), c.utf16) << c.name;
}

struct NarrowCase {
  const char* name;
  std::u16string utf16;
  std::string cp932;
};

const NarrowCase kNarrowCases[] = {
    {"empty", u"", ""},
    {"ascii", u"Subject: x", "Subject: x"},
    {"hiragana and kanji", u"\u3042\u6f22", "\x82\xa0\x8a\xbf"},
    {"half-width katakana", u"\uff71", "\xb1"},
    // 〜 WAVE DASH and ～ FULLWIDTH TILDE both end up as the one cp932 character.
    {"wave dash", u"\u301c\uff5e", "\x81\x60\x81\x60"},
    // Unix and Mac mailers write these JIS code points; they become the cp932 characters.
    {"JIS spellings", u"\u00a2\u00a3\u00ac\u2014\u2016\u2212",
     "\x81\x91\x81\x92\x81\xca\x81\x5c\x81\x61\x81\x7c"},
    {"yen sign and overline", u"\u00a5\u203e", "\\~"},
    {"no best-fit guesses", u"caf\u00e9", "caf?"},
    {"circled digit", u"\u2460", "\x87\x40"},
    {"character outside the code page", u"a\u4e02b", "a?b"},
    {"Hangul", u"\ud55c", "?"},
    {"character outside the BMP is one question mark", u"x\U0001F600y", "x?y"},
    {"lone surrogate", std::u16string{u'a', 0xD800, u'b'}, "a?b"},
};

TEST(CodePage, NarrowTable) {
  const CodePage& cp = PlatformSystem().codePage;
  for (const NarrowCase& c : kNarrowCases) EXPECT_EQ(cp.Narrow(c.utf16), c.cp932) << c.name;
}

TEST(CodePage, EveryDoubleByteCharacterSurvivesARoundTrip) {
  // Some vendor rows share code points, so a round trip may pick the other code of the pair;
  // the text, widened again, must still be the same.
  const CodePage& cp = PlatformSystem().codePage;
  std::string all;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead >= 0xA0 && lead < 0xE0) continue;
    if (lead >= 0xF0 && lead <= 0xF9) continue;  // user-defined area
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      std::string ch{static_cast<char>(lead), static_cast<char>(trail)};
      std::u16string wide = cp.Widen(ch);
      if (wide == u"?" + std::u16string(1, static_cast<char16_t>(trail))) continue;  // unassigned
      if (wide.size() != 1) continue;
      all += ch;
    }
  }
  ASSERT_GT(all.size(), 7000u * 2);
  std::u16string wide = cp.Widen(all);
  EXPECT_EQ(cp.Widen(cp.Narrow(wide)), wide);
}

}  // namespace
}  // namespace postwink
