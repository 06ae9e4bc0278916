#include "core/mime/header_fields.h"

#include <gtest/gtest.h>

#include "unit/mime/mime_test_support.h"

namespace postwink {
namespace {

using test::Crlf;

const std::string kMessage = Crlf({
    "Received: from a",
    "\tby b",
    "SUBJECT: Hello",
    "To: A",
    "X-Folded: ab",
    " cd",
    "X-Folded2: ab",
    "  cd",
    "Subject : spaced",
    "To: B",
    "Empty:",
    "",
    "X-Body: not a header",
    "To: C",
});

TEST(HeaderFields, LookupFindsNamesWithoutRegardToCaseOnlyInTheHeader) {
  struct Case {
    const char* name;
    std::optional<std::string> value;
  } cases[] = {
      // Unfolding removes the CR LF only: the fold's blank stays.
      {"Subject:", "Hello"},    {"subject:", "Hello"},         {"X-Folded:", "ab cd"},
      {"X-Folded2:", "ab  cd"}, {"Received:", "from a\tby b"}, {"X-Body:", std::nullopt},
      {"Empty:", ""},           {"Missing:", std::nullopt},    {"Subject :", "spaced"},
      {"by", std::nullopt},  // folded lines are not line starts
  };
  for (const Case& c : cases) EXPECT_EQ(GetHeaderField(kMessage, c.name), c.value) << c.name;
  // A space before the colon is not the field.
  EXPECT_EQ(GetHeaderFieldAll(kMessage, "Subject:"), "Hello");
}

TEST(HeaderFields, AllOccurrencesJoinWithACommaAndStopAtTheEmptyLine) {
  EXPECT_EQ(GetHeaderFieldAll(kMessage, "To:"), "A,B");
  EXPECT_EQ(GetHeaderFieldAll(kMessage, "Cc:"), std::nullopt);
  // The last field of a text without body, with and without its CR LF.
  EXPECT_EQ(GetHeaderFieldAll("To: A\r\nTo: B", "To:"), "A,B");
  EXPECT_EQ(GetHeaderFieldAll("To: A\r\nTo: B\r\n", "To:"), "A,B");
}

TEST(HeaderFields, FindHeaderFieldGivesTheValueOffset) {
  EXPECT_EQ(FindHeaderField("A: 1\r\nB:\t 2\r\n", "b:"), 10u);
  EXPECT_EQ(FindHeaderField("", "B:"), std::nullopt);
}

TEST(HeaderFields, BodyStartsAfterTheFirstEmptyLine) {
  EXPECT_EQ(FindBodyStart("A: 1\r\n\r\nbody\r\n\r\nmore"), 8u);
  EXPECT_EQ(FindBodyStart("A: 1\r\n\r\n"), 8u);
  EXPECT_EQ(FindBodyStart("A: 1\r\nB: 2\r\n"), std::nullopt);
}

TEST(HeaderFields, DecodedFieldJoinsEncodedWordsAcrossAFold) {
  std::string text = Crlf(
      {"Subject: =?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?=", " =?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?=", ""});
  // Two words of TESUTO (katakana) joined without the space of the fold.
  EXPECT_EQ(GetDecodedField(text, "Subject:", false, test::Charsets()), "テストテスト");
}

TEST(HeaderFields, TenThousandFoldedLinesUnfoldInOnePass) {
  std::string text = "To: first";
  for (int i = 0; i < 10000; ++i) text += ",\r\n next" + std::to_string(i);
  text += "\r\nTo: last\r\n\r\nbody";
  std::optional<std::string> all = GetHeaderFieldAll(text, "To:");
  ASSERT_TRUE(all);
  EXPECT_EQ(all->substr(0, 19), "first, next0, next1");
  EXPECT_EQ(all->substr(all->size() - 15), ", next9999,last");
}

}  // namespace
}  // namespace postwink
