#include "core/text/case.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

TEST(TextCase, CompareNoCase) {
  struct Case {
    const char* a;
    const char* b;
    int sign;
  };
  const Case cases[] = {
      {"abc", "ABC", 0},
      {"abc", "abd", -1},
      {"Zeta", "alpha", 1},
      {"ab", "abc", -1},
      {"", "", 0},
      {"_", "a", -1},  // folded to lower case, as the C library's case-blind compare does
      // Other characters order by code point and never fold: É is not é, Ａ is not ａ.
      {"ア", "ャ", -1},
      {"あx", "あX", 0},
      {"z", "あ", -1},
      {"É", "é", -1},
      {"Ａ", "ａ", -1},
      {"\xE3\x81", "あ", -1},  // a cut-short character is a character of its own
      {"한", "😀", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Sign(CompareNoCase(c.a, c.b)), c.sign) << c.a << " / " << c.b;
    EXPECT_EQ(Sign(CompareNoCase(c.b, c.a)), -c.sign) << c.b << " / " << c.a;
  }
}

}  // namespace
}  // namespace postwink
