#include "core/imap/body_structure.h"

#include <gtest/gtest.h>

#include <string>

namespace postwink {
namespace {

ImapValue Structure(const std::string& text) {
  ImapParseResult parsed = ParseImapResponse("* 1 FETCH (BODYSTRUCTURE " + text + ")", {});
  EXPECT_TRUE(parsed.response) << parsed.error;
  if (!parsed.response) return {};
  return parsed.response->values.at(0).items.at(1);
}

TEST(BodyStructure, FindsAttachmentsWithoutTheText) {
  struct Case {
    const char* name;
    const char* structure;
    bool multipart;
    bool attachment;
  };
  const Case cases[] = {
      {"plain_text",
       R"(("text" "plain" ("charset" "us-ascii") NIL NIL "7bit" 25 1 NIL NIL NIL NIL))", false,
       false},
      {"alternative_without_files",
       R"((("text" "plain" NIL NIL NIL "7bit" 2 1)("text" "html" NIL NIL NIL "7bit" 9 1) "alternative"))",
       true, false},
      {"disposition_attachment",
       R"((("text" "plain" NIL NIL NIL "7bit" 2 1 NIL NIL NIL NIL)("application" "octet-stream" NIL NIL NIL "base64" 40 NIL ("attachment" NIL) NIL NIL) "mixed" ("boundary" "b") NIL NIL NIL))",
       true, true},
      {"named_part_deep_inside",
       R"(((("text" "plain" NIL NIL NIL "7bit" 2 1)("text" "html" NIL NIL NIL "7bit" 9 1) "alternative")("image" "png" ("name" "a.png") NIL NIL "base64" 40) "mixed"))",
       true, true},
      {"filename_in_disposition",
       R"(("application" "pdf" NIL NIL NIL "base64" 400 NIL ("inline" ("filename" "r.pdf")) NIL NIL))",
       false, true},
      {"not_a_structure", "NIL", false, false},
  };
  for (const Case& c : cases) {
    const StructureSummary summary = SummariseStructure(Structure(c.structure));
    EXPECT_EQ(summary.multipart, c.multipart) << c.name;
    EXPECT_EQ(summary.hasAttachment, c.attachment) << c.name;
  }
}

}  // namespace
}  // namespace postwink
