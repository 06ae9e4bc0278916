#include "core/mime/body_and_parts.h"

#include <gtest/gtest.h>

#include "core/mime/parse_message.h"
#include "unit/mime/mime_test_support.h"

namespace postwink {
namespace {

using test::Charsets;
using test::Crlf;

struct Parsed {
  MailItem item;
  PartList parts;
  std::optional<std::string> body;
};

Parsed ParseAndSplit(const std::string& text, bool showHeader = false) {
  Parsed p;
  ParseMessage(p.item, text, std::nullopt, test::Options(showHeader));
  p.body = GetBodyAndParts(p.item, p.parts, Charsets());
  return p;
}

TEST(GetBodyAndParts, BodyIsTheFirstTextPartEvenInsideANestedMultipart) {
  Parsed p = ParseAndSplit(Crlf({
      "Content-Type: multipart/mixed; boundary=\"outer\"",
      "",
      "--outer",
      "Content-Type: multipart/alternative; boundary=inner",
      "",
      "--inner",
      "Content-Type: text/plain; charset=\"utf-8\"",
      "Content-Transfer-Encoding: base64",
      "",
      "44OG44K544OI",  // TESUTO in UTF-8
      "--inner",
      "Content-Type: text/html",
      "",
      "<p>x</p>",
      "--inner--",
      "--outer",
      "Content-Type: application/pdf",
      "Content-Disposition: attachment; filename=\"=?UTF-8?B?44OG?=.pdf\"",
      "",
      "%PDF",
      "--outer--",
  }));
  ASSERT_EQ(p.parts.size(), 3u);
  EXPECT_EQ(p.body, "\x83\x65\x83\x58\x83\x67");
  EXPECT_EQ(p.parts[2].name, "\x83\x65.pdf");
  EXPECT_EQ(p.item.hasAttachment, 1);
}

TEST(GetBodyAndParts, SinglePartMessages) {
  // A text part: the preview (already transfer-decoded) converted by its charset, dots unstuffed.
  Parsed text = ParseAndSplit(
      Crlf({"Content-Type: text/plain; charset=ISO-2022-JP", "", "\x1b$B%F\x1b(B", "..dot"}));
  ASSERT_EQ(text.parts.size(), 1u);
  EXPECT_EQ(text.parts[0].start, 0u);
  EXPECT_EQ(text.body, "\x83\x65\r\n.dot\r\n");

  Parsed image = ParseAndSplit(Crlf({"Content-Type: image/gif; name=\"a.gif\"", "", "GIF"}));
  EXPECT_EQ(image.body, std::nullopt);
  EXPECT_EQ(image.parts[0].name, "a.gif");

  Parsed cut = ParseAndSplit(Crlf({"Content-Type: multipart/mixed; boundary=b", ""}));
  ASSERT_EQ(cut.parts.size(), 1u);
  EXPECT_EQ(cut.parts[0].type, "multipart/mixed; boundary=b");
  EXPECT_FALSE(cut.parts[0].start);
  EXPECT_EQ(cut.body, std::nullopt);
}

TEST(GetBodyAndParts, EncodingMatchesAsAWholeWordWithoutRegardToBlanks) {
  Parsed p = ParseAndSplit(Crlf({"Content-Type: multipart/mixed; boundary=b", "", "--b",
                                 "Content-Transfer-Encoding: base64  ", "", "SGVsbG8=", "--b--"}));
  EXPECT_EQ(p.body, "Hello");
  p = ParseAndSplit(Crlf({"Content-Type: multipart/mixed; boundary=b", "", "--b",
                          "Content-Transfer-Encoding: base64x", "", "SGVsbG8=", "--b--"}));
  EXPECT_EQ(p.body, "SGVsbG8=");
}

TEST(GetBodyAndParts, EmptyPartAndMissingBoundary) {
  Parsed empty = ParseAndSplit(Crlf({"Content-Type: multipart/mixed; boundary=b", "", "--b", "",
                                     "--b", "Content-Type: text/plain", "", "second", "--b--"}));
  ASSERT_EQ(empty.parts.size(), 2u);
  EXPECT_EQ(empty.body, "");
  Parsed lost = ParseAndSplit(Crlf({"Content-Type: multipart/mixed; boundary=zz", "", "text"}));
  ASSERT_EQ(lost.parts.size(), 1u);
  EXPECT_EQ(lost.body, std::nullopt);
  EXPECT_EQ(lost.item.hasAttachment, 1);
}

}  // namespace
}  // namespace postwink
