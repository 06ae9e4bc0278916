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
      // 0x83 0x41 (ア) and 0x83 0x61 (ャ): the trail byte is compared as it is, not folded.
      {"\x83\x41", "\x83\x61", -1},
      {"\x83\x61", "\x83\x41", 1},
      {"\x82\xa0x", "\x82\xa0X", 0},
      {"z", "\x82\xa0", -1},
      {"\x82", "\x82\xa0", -1},  // a lone lead byte at the end is a character of its own
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Sign(CompareNoCase(c.a, c.b)), c.sign) << c.a << " / " << c.b;
    EXPECT_EQ(Sign(CompareNoCase(c.b, c.a)), -c.sign) << c.b << " / " << c.a;
  }
}

}  // namespace
}  // namespace postwink
