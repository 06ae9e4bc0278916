#include "core/text/cp932.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

TEST(Cp932, CutNeverSplitsADoubleByteCharacter) {
  const std::string text =
      "a\x82\xa0"
      "b";  // a, HIRAGANA A, b
  struct Case {
    size_t max;
    std::string_view expected;
  } cases[] = {{0, ""}, {1, "a"}, {2, "a"}, {3, "a\x82\xa0"}, {4, text}, {99, text}};
  for (const Case& c : cases) EXPECT_EQ(CutAtCharBoundary(text, c.max), c.expected) << c.max;
}

}  // namespace
}  // namespace postwink
