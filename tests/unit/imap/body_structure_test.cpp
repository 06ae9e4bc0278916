#include "core/imap/body_structure.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/list/list_commands.h"
#include "core/mime/body_and_parts.h"
#include "core/mime/mail_item.h"
#include "unit/mime/mime_test_support.h"

namespace postwink {
namespace {

ImapValue Structure(const std::string& text, std::vector<ImapValue> literals = {}) {
  ImapParseResult parsed =
      ParseImapResponse("* 1 FETCH (BODYSTRUCTURE " + text + ")", std::move(literals));
  EXPECT_TRUE(parsed.response) << parsed.error;
  if (!parsed.response) return {};
  return parsed.response->values.at(0).items.at(1);
}

// One leaf as the table expects it: its section, its type without parameters, and its name as
// the attachment menu shows it (decoded), "" for none.
struct Leaf {
  std::string section;
  std::string type;
  std::string name;
  bool operator==(const Leaf&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Leaf& leaf) {
  return out << leaf.section << " " << leaf.type << " '" << leaf.name << "'";
}

TEST(BodyStructure, ListsThePartsWithTheirSectionsAndNames) {
  struct Case {
    const char* name;
    const char* structure;
    bool multipart;
    bool attachment;
    std::vector<Leaf> leaves;
    std::vector<std::string> menu;  // the attachment menu's labels
  };
  const Case cases[] = {
      {"plain_text",
       R"(("text" "plain" ("charset" "us-ascii") NIL NIL "7bit" 25 1 NIL NIL NIL NIL))",
       false,
       false,
       {{"1", "text/plain", ""}},
       {}},
      {"alternative_without_files",
       R"((("text" "plain" NIL NIL NIL "7bit" 2 1)("text" "html" NIL NIL NIL "7bit" 9 1) "alternative"))",
       true,
       false,
       {{"1", "text/plain", ""}, {"2", "text/html", ""}},
       {"text/html"}},
      {"two_attachments_one_rfc2231_one_encoded_word",
       R"((("text" "plain" ("charset" "utf-8") NIL NIL "7bit" 2 1 NIL NIL NIL NIL)("application" "pdf" NIL NIL NIL "base64" 40 NIL ("attachment" ("filename*" "utf-8''%E5%A0%B1%E5%91%8A.pdf")) NIL NIL)("image" "png" ("name" "=?UTF-8?B?5YaZ55yfLnBuZw==?=") NIL NIL "base64" 40 NIL ("attachment" NIL) NIL NIL) "mixed" ("boundary" "b") NIL NIL NIL))",
       true,
       true,
       {{"1", "text/plain", ""},
        {"2", "application/pdf", "報告.pdf"},
        {"3", "image/png", "写真.png"}},
       {"報告.pdf", "写真.png"}},
      {"nested_multiparts_and_continued_name",
       R"(((("text" "plain" NIL NIL NIL "7bit" 2 1)("text" "html" NIL NIL NIL "7bit" 9 1) "alternative")("application" "zip" NIL NIL NIL "base64" 40 NIL ("attachment" ("filename*0" "long-" "filename*1" "name.zip")) NIL NIL) "mixed"))",
       true,
       true,
       {{"1.1", "text/plain", ""},
        {"1.2", "text/html", ""},
        {"2", "application/zip", "long-name.zip"}},
       {"text/html", "long-name.zip"}},
      // A forwarded message is one part, its own parts are not listed; the envelope before its
      // structure is not taken for the disposition.
      {"message_rfc822",
       R"((("text" "plain" NIL NIL NIL "7bit" 2 1 NIL NIL NIL NIL)("message" "rfc822" NIL NIL NIL "7bit" 300 ("Mon, 7 Dec 2026 10:00:00 +0000" "Fwd" NIL NIL NIL NIL NIL NIL NIL NIL) ("text" "plain" NIL NIL NIL "7bit" 10 1 NIL ("inline" NIL) NIL NIL) 12 NIL ("attachment" ("filename" "fwd.eml")) NIL NIL) "mixed"))",
       true,
       true,
       {{"1", "text/plain", ""}, {"2", "message/rfc822", "fwd.eml"}},
       {"fwd.eml"}},
      // Pictures of an HTML page are not attachments, as in a fetched message.
      {"related_inline_picture",
       R"((("text" "html" NIL NIL NIL "7bit" 9 1)("image" "gif" NIL "<p@x>" NIL "base64" 40 NIL ("inline" NIL) NIL NIL) "related"))",
       true,
       false,
       {{"1", "text/html", ""}, {"2", "image/gif", ""}},
       {"image/gif"}},
      {"whole_message_is_a_file",
       R"(("application" "pdf" NIL NIL NIL "base64" 400 NIL ("inline" ("filename" "r.pdf")) NIL NIL))",
       false,
       true,
       {{"1", "application/pdf", "r.pdf"}},
       {"r.pdf"}},
      {"not_a_structure", "NIL", false, false, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StructureSummary summary = SummariseStructure(Structure(c.structure));
    EXPECT_EQ(summary.multipart, c.multipart);
    EXPECT_EQ(summary.hasAttachment, c.attachment);
    MailItem item;
    item.serverParts = summary.parts;
    PartList parts;
    AttachmentParts(item, parts, test::Charsets());
    std::vector<Leaf> leaves;
    for (const MimePart& part : parts) {
      const std::string type = part.type.value_or("");
      leaves.push_back(
          {part.section.value_or(""), type.substr(0, type.find(';')), part.name.value_or("")});
    }
    EXPECT_EQ(leaves, c.leaves);
    std::vector<std::string> menu;
    for (const AttachmentEntry& entry : AttachmentMenuEntries(parts)) {
      menu.push_back(entry.label);
      EXPECT_FALSE(entry.greyed) << entry.label;
    }
    EXPECT_EQ(menu, c.menu);
  }
}

// A name with a quote or a line break from the server stays one parameter of one header line.
TEST(BodyStructure, HostileParameterValuesStayInTheirParameter) {
  ImapValue literal;
  literal.kind = ImapValue::Kind::kString;
  literal.text = "a\"; name=\"b.exe\r\nX: y";
  literal.literalSize = literal.text.size();
  StructureSummary summary = SummariseStructure(Structure(
      R"(("application" "octet-stream" ("name" {17}) NIL NIL "base64" 4 NIL NIL NIL NIL))",
      {literal}));
  ASSERT_EQ(summary.parts.size(), 1u);
  PartList parts;
  MailItem item;
  item.serverParts = summary.parts;
  AttachmentParts(item, parts, test::Charsets());
  EXPECT_EQ(parts[0].name, "a\"; name=\"b.exe  X: y");
}

// Deep nesting and huge part counts are bounded, never a crash.
TEST(BodyStructure, DeepAndWideStructuresAreBounded) {
  std::string deep = R"(("text" "plain" NIL NIL NIL "7bit" 1 1))";
  for (int i = 0; i < 60; ++i) deep = "(" + deep + " \"mixed\")";
  EXPECT_TRUE(SummariseStructure(Structure(deep)).parts.empty());
  std::string wide = "(";
  for (size_t i = 0; i < kMaxStructureParts + 10; ++i) {
    wide += R"(("application" "x" NIL NIL NIL "base64" 4))";
  }
  wide += " \"mixed\")";
  EXPECT_EQ(SummariseStructure(Structure(wide)).parts.size(), kMaxStructureParts);
}

}  // namespace
}  // namespace postwink
