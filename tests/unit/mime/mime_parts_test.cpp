#include "core/mime/mime_parts.h"

#include <gtest/gtest.h>

#include "unit/mime/mime_test_support.h"

namespace postwink {
namespace {

using test::Charsets;
using test::Crlf;

TEST(MimeParts, BoundaryLinesCompareWithoutCaseAndEndTheLine) {
  EXPECT_EQ(FindBoundaryLine("--AbC\r\nx", "abc"), 0u);
  EXPECT_EQ(FindBoundaryLine("x\r\n--abc--  \r\n", "ABC"), 3u);   // closing, then blanks
  EXPECT_EQ(FindBoundaryLine("x\r\n--abc", "abc"), 3u);           // at the very end
  EXPECT_EQ(FindBoundaryLine("x--abc\r\n-abc\r\n", "abc"), 14u);  // not at a line start
  EXPECT_EQ(FindBoundaryLine("x\r\n--ab", "abc"), 7u);            // cut short
  // A line that goes on holds another boundary that begins with this one.
  EXPECT_EQ(FindBoundaryLine("x\r\n--abcdef\r\n--abc\r\n", "ABC"), 13u);
  EXPECT_EQ(FindBoundaryLine("x\r\n--abc_alt\r\n", "abc"), 14u);
}

TEST(MimeParts, Parameters) {
  struct Case {
    const char* value;
    const char* name;
    std::optional<std::string> expected;
  } cases[] = {
      {"multipart/mixed; boundary=\"b1\"", "boundary", "b1"},
      {"multipart/mixed;boundary = b2 ;x=y", "boundary", "b2"},
      {"text/plain; CHARSET=utf-8", "charset", "utf-8"},
      {"text/plain; format=flowed", "charset", std::nullopt},
      {"text/plain", "charset", std::nullopt},
      {"   ", "charset", std::nullopt},
      {"text/plain; charset=", "charset", ""},
      // Quoted strings: ";" inside is text, backslash escapes, an unclosed quote ends at ";".
      {"attachment; filename=\"a;b.txt\"; size=3", "filename", "a;b.txt"},
      {"attachment; x=\"p;filename=no\"; filename=yes", "filename", "yes"},
      {"attachment; filename=\"say \\\"hi\\\".txt\"", "filename", "say \"hi\".txt"},
      {"attachment; filename=\"open.txt; size=3", "filename", "open.txt"},
      // Whole names only: RFC 2231 sections and longer names are other parameters.
      {"text/plain; name*0*=UTF-8''a; name*1*=b", "name", std::nullopt},
      {"text/plain; names=x; name=y", "name", "y"},
      {"text/plain; name", "name", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetParameter(c.value, c.name), c.expected) << c.value;
  }
  EXPECT_EQ(
      GetDecodedParameter("image/png; name=\"=?ISO-8859-1?Q?a=5Fb.png?=\"", "name", Charsets()),
      "a_b.png");
}

TEST(MimeParts, ExtendedFilenamesJoinSectionsInNumberOrder) {
  struct Case {
    const char* value;
    std::optional<std::string> expected;
  } cases[] = {
      {"", std::nullopt},
      {"attachment; filename=\"plain.txt\"", std::nullopt},
      {"attachment; filename*1=\"b.txt\"; filename*0=\"a\"", "ab.txt"},
      {"attachment; filename*=UTF-8''%E3%83%86.txt", "テ.txt"},  // TE (katakana)
      // Extended section 0: the whole join is percent-decoded, section 1 included.
      {"attachment;\tfilename*0*=ISO-2022-JP''%1B%24B%25F; filename*1=%25%39%1B%28B.txt",
       "テス.txt"},  // TESU
      {"attachment; filename*0=\"a%41\"; filename*1*=b", "a%41b"},
      {"attachment; filename*0=x; filename*0=y", "y"},
      {"attachment; filename*-1=x; filename*2=z; filename*0=a", "az"},
      {"attachment; filename*99999999999999=z; filename*0=a", "az"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AssembleExtendedParameter(c.value, "filename", Charsets()), c.expected) << c.value;
  }
}

// Content-Type parameters in their RFC 2231 forms read like the disposition's file name; the
// extended form wins over the plain one, as it is the one written for readers that know it.
TEST(MimeParts, DecodedParametersTakeEveryForm) {
  struct Case {
    const char* value;
    const char* name;
    std::optional<std::string> expected;
  } cases[] = {
      {"application/pdf; name*0*=UTF-8''%E3%83%86; name*1*=%E3%82%B9.pdf", "name", "テス.pdf"},
      {"application/pdf; name*=UTF-8''%E3%83%86.pdf", "name", "テ.pdf"},
      {"application/pdf; name*0=\"long \"; name*1=\"name.pdf\"", "name", "long name.pdf"},
      {"application/pdf; name=\"old.pdf\"; name*=UTF-8''new.pdf", "name", "new.pdf"},
      {"application/pdf; name=\"=?UTF-8?B?5pel?=.pdf\"", "name", "日.pdf"},
      {"attachment; filename*=iso-8859-1'en'%A3%20rates.txt", "filename", "£ rates.txt"},
      {"application/pdf", "name", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetDecodedParameter(c.value, c.name, Charsets()), c.expected) << c.value;
  }
}

TEST(MimeParts, AnRfc2231BoundaryFindsTheParts) {
  const std::string text = Crlf({"--b 1", "", "one", "--b 1", "", "two", "--b 1--"});
  for (const char* type : {"multipart/mixed; boundary*=us-ascii''b%201",
                           "multipart/mixed; boundary*0*=us-ascii''b; boundary*1*=%201",
                           "multipart/mixed; boundary*=\"ansi-x3.4-1968''b 1\""}) {
    PartList parts;
    EXPECT_EQ(ListParts(type, text, parts, Charsets()), 2u) << type;
  }
}

TEST(MimeParts, ExtensionsByWholeTypeWithoutCase) {
  EXPECT_EQ(ExtensionForType("IMAGE/JPEG"), ".jpg");
  EXPECT_EQ(ExtensionForType("application/postscript"), ".eps");
  EXPECT_EQ(ExtensionForType("video/x-msvideo"), ".avi");
  EXPECT_EQ(ExtensionForType("image/jpeg; name=a"), std::nullopt);
  EXPECT_EQ(ExtensionForType("image/jpe"), std::nullopt);
}

const std::string kNested = Crlf({
    "preamble",
    "--outer",
    "Content-Type: multipart/alternative; boundary=inner",
    "",
    "--inner",
    "Content-Type: text/plain; charset=us-ascii",
    "",
    "plain",
    "--INNER",
    "Content-Type: text/html",
    "",
    "<p>html</p>",
    "--inner--",
    "",
    "--outer",
    "Content-Type: image/png; name=\"a.png\"",
    "Content-Transfer-Encoding: base64",
    "Content-Disposition: attachment; filename=\"b.png\"",
    "",
    "iVBORw0=",
    "--outer",
    "",
    "no header",
    "--outer--",
});

TEST(MimeParts, NestedMultipartsGoIntoOneList) {
  PartList parts;
  ASSERT_EQ(ListParts("multipart/mixed; boundary=outer", kNested, parts, Charsets()), 4u);
  auto content = [&](const MimePart& p) { return kNested.substr(*p.start, *p.end - 2 - *p.start); };
  EXPECT_EQ(parts[0].type, "text/plain; charset=us-ascii");
  EXPECT_EQ(content(parts[0]), "plain");
  EXPECT_EQ(parts[1].type, "text/html");
  EXPECT_EQ(content(parts[1]), "<p>html</p>");
  EXPECT_EQ(parts[2].name, "b.png");  // the disposition wins over the type's name
  EXPECT_EQ(parts[2].encoding, "base64");
  EXPECT_EQ(content(parts[2]), "iVBORw0=");
  EXPECT_EQ(parts[3].type, std::nullopt);
  EXPECT_EQ(content(parts[3]), "no header");
}

TEST(MimeParts, ACutOffPartHasNoEnd) {
  std::string text = kNested.substr(0, kNested.find("iVBOR") + 4);
  PartList parts;
  ASSERT_EQ(ListParts("multipart/mixed; boundary=outer", text, parts, Charsets()), 3u);
  EXPECT_TRUE(parts[1].end);
  EXPECT_EQ(parts[2].start, kNested.find("iVBOR"));
  EXPECT_FALSE(parts[2].end);
  // Cut inside a part's header: the part counts, without a start.
  text = kNested.substr(0, kNested.find("Content-Transfer"));
  parts.clear();
  ASSERT_EQ(ListParts("multipart/mixed; boundary=outer", text, parts, Charsets()), 3u);
  EXPECT_FALSE(parts[2].start);
}

// The inner multipart never closes: its last part ends at the outer boundary line, and the
// outer parts after it are still found.
TEST(MimeParts, AnUnclosedInnerMultipartEndsAtTheOuterBoundary) {
  std::string text =
      Crlf({"--outer", "Content-Type: multipart/alternative; boundary=inner", "", "--inner", "",
            "inner text", "--outer", "Content-Type: image/gif", "", "GIF", "--outer--"});
  PartList parts;
  ASSERT_EQ(ListParts("multipart/mixed; boundary=outer", text, parts, Charsets()), 2u);
  EXPECT_EQ(text.substr(*parts[0].start, *parts[0].end - 2 - *parts[0].start), "inner text");
  EXPECT_EQ(parts[1].type, "image/gif");
}

// A nested multipart without a boundary contributes no parts; the outer list goes on after it.
TEST(MimeParts, ANestedMultipartWithoutBoundaryIsSkipped) {
  std::string text = Crlf({"--outer", "Content-Type: multipart/alternative", "", "lost", "--outer",
                           "Content-Type: image/gif", "", "GIF", "--outer--"});
  PartList parts;
  ASSERT_EQ(ListParts("multipart/mixed; boundary=outer", text, parts, Charsets()), 1u);
  EXPECT_EQ(parts[0].type, "image/gif");
  EXPECT_EQ(text.substr(*parts[0].start, *parts[0].end - 2 - *parts[0].start), "GIF");
}

TEST(MimeParts, NoBoundaryNoParts) {
  PartList parts;
  EXPECT_EQ(ListParts("multipart/mixed", kNested, parts, Charsets()), 0u);
  EXPECT_EQ(ListParts("multipart/mixed; boundary=\"\"", kNested, parts, Charsets()), 0u);
  EXPECT_EQ(ListParts("multipart/mixed; boundary=zzz", kNested, parts, Charsets()), 0u);
}

// Each level opens one more multipart and never closes it: without a bound the recursion
// would follow all of them.
TEST(MimeParts, DeepNestingIsBoundedAndTheRestIsOnePart) {
  std::string text;
  const int levels = 5000;
  for (int i = 0; i < levels; ++i) {
    text += "--b" + std::to_string(i) + "x\r\nContent-Type: multipart/mixed; boundary=b" +
            std::to_string(i + 1) + "x\r\n\r\n";
  }
  text += "--b" + std::to_string(levels) + "x\r\n\r\ninnermost\r\n";
  PartList parts;
  ASSERT_EQ(ListParts("multipart/mixed; boundary=b0x", text, parts, Charsets()), 1u);
  EXPECT_EQ(parts[0].type,
            "multipart/mixed; boundary=b" + std::to_string(kMaxMultipartNesting + 1) + "x");
  EXPECT_FALSE(parts[0].end);
}

TEST(MimeParts, TenThousandParts) {
  std::string text;
  for (int i = 0; i < 10000; ++i) {
    text += "--sep\r\nContent-Type: application/octet-stream; name=p" + std::to_string(i) +
            "\r\n\r\ndata\r\n";
  }
  text += "--sep--\r\n";
  PartList parts;
  ASSERT_EQ(ListParts("multipart/mixed; boundary=sep", text, parts, Charsets()), 10000u);
  EXPECT_EQ(parts[9999].name, "p9999");
  EXPECT_TRUE(parts[9999].end);
}

}  // namespace
}  // namespace postwink
