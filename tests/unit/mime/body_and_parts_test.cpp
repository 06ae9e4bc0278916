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
  EXPECT_EQ(p.body, "テスト");
  EXPECT_EQ(p.parts[2].name, "テ.pdf");
  EXPECT_EQ(p.item.hasAttachment, 1);
}

TEST(GetBodyAndParts, SinglePartMessages) {
  // A text part: the preview (already transfer-decoded) converted by its charset, dots unstuffed.
  Parsed text = ParseAndSplit(
      Crlf({"Content-Type: text/plain; charset=ISO-2022-JP", "", "\x1b$B%F\x1b(B", "..dot"}));
  ASSERT_EQ(text.parts.size(), 1u);
  EXPECT_EQ(text.parts[0].start, 0u);
  EXPECT_EQ(text.body, "テ\r\n.dot\r\n");

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

// A single part that is a named attachment is no body: it is offered as an attachment.
TEST(GetBodyAndParts, ASingleAttachmentIsOfferedAndNotShown) {
  Parsed p =
      ParseAndSplit(Crlf({"Content-Type: text/plain; name=\"list.csv\"",
                          "Content-Disposition: attachment; filename=\"list.csv\"", "", "a,b"}));
  ASSERT_EQ(p.parts.size(), 1u);
  EXPECT_EQ(p.parts[0].name, "list.csv");
  EXPECT_EQ(p.body, std::nullopt);
  // In a multipart the body is the first text part that is not an attachment.
  p = ParseAndSplit(Crlf({"Content-Type: multipart/mixed; boundary=b", "", "--b",
                          "Content-Type: text/plain", "Content-Disposition: attachment", "",
                          "notes", "--b", "Content-Type: text/plain", "", "body", "--b--"}));
  EXPECT_EQ(p.body, "body");
}

// A part's header ends at its empty line, or at the first line that is no field when the empty
// line is missing; a line of blanks continues the header.
TEST(GetBodyAndParts, PartHeadersWithoutTheirEmptyLine) {
  struct Case {
    const char* what;
    std::initializer_list<const char*> part;
    const char* body;
  } cases[] = {
      {"no empty line",
       {"Content-Type: text/plain", "First paragraph.", "", "Second."},
       "First paragraph.\r\n\r\nSecond."},
      {"a line of one space",
       {"Content-Type: text/plain", " ", "After the space."},
       "After the space."},
      {"no header at all", {"Just text.", "More."}, "Just text.\r\nMore."},
      {"an empty header", {"", "Text."}, "Text."},
      {"blanks before the colon", {"Content-Type : text/html", "", "x"}, "x"},
  };
  for (const Case& c : cases) {
    std::string text = "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n";
    for (const char* line : c.part) text += std::string(line) + "\r\n";
    text += "--b--\r\n";
    EXPECT_EQ(ParseAndSplit(text).body, c.body) << c.what;
  }
  // At the top level too: the body's lines are no fields.
  Parsed top = ParseAndSplit(Crlf({"Subject: s", "not a header", "To: body@example.com"}));
  EXPECT_EQ(top.item.to, std::nullopt);
  EXPECT_EQ(top.body, "not a header\r\nTo: body@example.com\r\n");
}

// Structures that other programs write: consecutive boundary lines, a nested multipart under
// its parent's own boundary, boundaries that begin alike.
TEST(GetBodyAndParts, OddStructures) {
  Parsed p = ParseAndSplit(
      Crlf({"Content-Type: multipart/mixed; boundary=X", "", "--X", "Content-Type: text/plain", "",
            "one", "--X", "--X", "Content-Type: image/gif", "", "GIF", "--X--"}));
  EXPECT_EQ(p.parts.size(), 2u);

  p = ParseAndSplit(Crlf({"Content-Type: multipart/mixed; boundary=M",
                          "",
                          "--M",
                          "Content-Type: multipart/alternative; boundary=M",
                          "",
                          "--M",
                          "Content-Type: text/plain",
                          "",
                          "text",
                          "--M",
                          "Content-Type: text/html",
                          "",
                          "html",
                          "--M--",
                          "",
                          "--M",
                          "Content-Type: image/gif; name=\"xx.gif\"",
                          "",
                          "GIF",
                          "--M--"}));
  ASSERT_EQ(p.parts.size(), 3u);
  EXPECT_EQ(p.parts[2].name, "xx.gif");
  EXPECT_EQ(p.body, "text");

  p = ParseAndSplit(Crlf({"Content-Type: multipart/mixed; boundary=b", "", "--b",
                          "Content-Type: multipart/alternative; boundary=b_alt", "", "--b_alt",
                          "Content-Type: text/plain", "", "plain", "--b_alt--", "--b",
                          "Content-Type: application/zip", "", "PK", "--b--"}));
  ASSERT_EQ(p.parts.size(), 2u);
  EXPECT_EQ(p.body, "plain");
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
