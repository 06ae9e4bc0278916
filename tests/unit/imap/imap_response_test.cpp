#include "core/imap/imap_response.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace postwink {
namespace {

using Kind = ImapValue::Kind;

// A value written back compactly, so that a table row can state a whole parsed tree.
std::string Show(const ImapValue& value) {
  switch (value.kind) {
    case Kind::kNil:
      return "NIL";
    case Kind::kAtom:
      return value.text;
    case Kind::kNumber:
      return "#" + std::to_string(value.number);
    case Kind::kString:
      return "\"" + value.text + "\"" +
             (value.truncated ? "~" + std::to_string(value.literalSize) : "");
    case Kind::kList: {
      std::string out = "(";
      for (size_t i = 0; i < value.items.size(); ++i) {
        if (i > 0) out += " ";
        out += Show(value.items[i]);
      }
      return out + ")";
    }
  }
  return "?";
}

std::string Show(const std::vector<ImapValue>& values) {
  std::string out;
  for (const ImapValue& value : values) out += (out.empty() ? "" : " ") + Show(value);
  return out;
}

struct Fed {
  std::vector<ImapResponse> responses;
  std::string error;
  size_t mostHeld = 0;
};

Fed FeedAll(ImapResponseReader& reader, const std::vector<std::string>& lines) {
  Fed fed;
  for (const std::string& line : lines) {
    ImapResponseReader::Result result = reader.Feed(line);
    fed.mostHeld = std::max(fed.mostHeld, reader.HeldBytes());
    if (result.status == ImapResponseReader::Status::kResponse) {
      fed.responses.push_back(std::move(result.response));
    } else if (result.status == ImapResponseReader::Status::kError) {
      fed.error = result.error;
      break;
    }
  }
  return fed;
}

struct ParseCase {
  const char* name;
  std::vector<std::string> lines;  // as the line splitter hands them over
  ImapResponse::Kind kind;
  std::string tag;
  ImapStatus status;
  std::string code;
  std::string codeArgs;
  std::string text;
  int number;  // -1: none
  std::string keyword;
  std::string values;
};

class ImapParseCases : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ImapParseCases, ParsesOneResponse) {
  const ParseCase& c = GetParam();
  ImapResponseReader reader;
  Fed fed = FeedAll(reader, c.lines);
  ASSERT_EQ(fed.error, "");
  ASSERT_EQ(fed.responses.size(), 1u);
  const ImapResponse& r = fed.responses[0];
  EXPECT_EQ(r.kind, c.kind);
  EXPECT_EQ(r.tag, c.tag);
  EXPECT_EQ(r.status, c.status);
  EXPECT_EQ(r.code, c.code);
  EXPECT_EQ(r.codeArgs, c.codeArgs);
  EXPECT_EQ(r.text, c.text);
  EXPECT_EQ(r.number ? static_cast<int>(*r.number) : -1, c.number);
  EXPECT_EQ(r.name, c.keyword);
  EXPECT_EQ(Show(r.values), c.values);
  EXPECT_EQ(reader.HeldBytes(), 0u);
}

using R = ImapResponse::Kind;
using S = ImapStatus;

INSTANTIATE_TEST_SUITE_P(
    Responses, ImapParseCases,
    ::testing::Values(
        ParseCase{"greeting_with_capabilities",
                  {"* OK [CAPABILITY IMAP4rev1 IDLE AUTH=PLAIN] Dovecot ready."},
                  R::kUntagged,
                  "",
                  S::kOk,
                  "CAPABILITY",
                  "IMAP4rev1 IDLE AUTH=PLAIN",
                  "Dovecot ready.",
                  -1,
                  "OK",
                  ""},
        ParseCase{"tagged_no_with_code",
                  {"a1 no [AUTHENTICATIONFAILED] Authentication failed."},
                  R::kTagged,
                  "a1",
                  S::kNo,
                  "AUTHENTICATIONFAILED",
                  "",
                  "Authentication failed.",
                  -1,
                  "",
                  ""},
        ParseCase{
            "tagged_ok_without_text", {"a2 OK"}, R::kTagged, "a2", S::kOk, "", "", "", -1, "", ""},
        ParseCase{"continuation",
                  {"+ idling"},
                  R::kContinuation,
                  "",
                  S::kNone,
                  "",
                  "",
                  "idling",
                  -1,
                  "",
                  ""},
        ParseCase{
            "bare_continuation", {"+"}, R::kContinuation, "", S::kNone, "", "", "", -1, "", ""},
        ParseCase{"bye",
                  {"* BYE Server shutting down."},
                  R::kUntagged,
                  "",
                  S::kBye,
                  "",
                  "",
                  "Server shutting down.",
                  -1,
                  "BYE",
                  ""},
        ParseCase{"uidvalidity_code",
                  {"* OK [UIDVALIDITY 1712345678] UIDs valid"},
                  R::kUntagged,
                  "",
                  S::kOk,
                  "UIDVALIDITY",
                  "1712345678",
                  "UIDs valid",
                  -1,
                  "OK",
                  ""},
        ParseCase{
            "exists", {"* 23 EXISTS"}, R::kUntagged, "", S::kNone, "", "", "", 23, "EXISTS", ""},
        ParseCase{"search",
                  {"* SEARCH 4 9 12"},
                  R::kUntagged,
                  "",
                  S::kNone,
                  "",
                  "",
                  "",
                  -1,
                  "SEARCH",
                  "#4 #9 #12"},
        ParseCase{
            "empty_search", {"* SEARCH"}, R::kUntagged, "", S::kNone, "", "", "", -1, "SEARCH", ""},
        ParseCase{"flags_and_list",
                  {"* LIST (\\HasNoChildren \\Marked) \".\" \"a \\\"b\\\\\""},
                  R::kUntagged,
                  "",
                  S::kNone,
                  "",
                  "",
                  "",
                  -1,
                  "LIST",
                  "(\\HasNoChildren \\Marked) \".\" \"a \"b\\\""},
        ParseCase{"fetch_with_literals_split_over_lines",
                  {"* 3 FETCH (UID 17 FLAGS (\\Answered) RFC822.SIZE 512 BODY[HEADER] {22}",
                   "Subject: hi", "From: x", " BODY[TEXT]<0> {0}", ")"},
                  R::kUntagged,
                  "",
                  S::kNone,
                  "",
                  "",
                  "",
                  3,
                  "FETCH",
                  "(UID #17 FLAGS (\\Answered) RFC822.SIZE #512 BODY[HEADER] \"Subject: hi\r\n"
                  "From: x\r\n\" BODY[TEXT]<0> \"\")"},
        ParseCase{"literal_ends_inside_a_line",
                  {"* 1 FETCH (BODY[TEXT]<0> {5}", "ab", "c UID 9)"},
                  R::kUntagged,
                  "",
                  S::kNone,
                  "",
                  "",
                  "",
                  1,
                  "FETCH",
                  "(BODY[TEXT]<0> \"ab\r\nc\" UID #9)"},
        ParseCase{"bracketed_section_with_spaces",
                  {"* 1 FETCH (BODY[HEADER.FIELDS (FROM SUBJECT)] NIL)"},
                  R::kUntagged,
                  "",
                  S::kNone,
                  "",
                  "",
                  "",
                  1,
                  "FETCH",
                  "(BODY[HEADER.FIELDS (FROM SUBJECT)] NIL)"},
        ParseCase{
            "nested_bodystructure",
            {"* 2 FETCH (BODYSTRUCTURE ((\"text\" \"plain\" (\"charset\" \"utf-8\") NIL NIL "
             "\"7bit\" 10 1)(\"application\" \"pdf\" (\"name\" {5}",
             "a.pdf) NIL NIL \"base64\" 400) \"mixed\"))"},
            R::kUntagged,
            "",
            S::kNone,
            "",
            "",
            "",
            2,
            "FETCH",
            "(BODYSTRUCTURE ((\"text\" \"plain\" (\"charset\" \"utf-8\") NIL NIL \"7bit\" #10 "
            "#1) (\"application\" \"pdf\" (\"name\" \"a.pdf\") NIL NIL \"base64\" #400) "
            "\"mixed\"))"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ImapResponseReader, RejectsMalformedResponses) {
  const std::vector<std::vector<std::string>> cases = {
      {""},
      {"*"},
      {"*  "},
      {"a1 MAYBE done"},
      {"a1"},
      {"* 1 FETCH (UID 1"},
      {"* 1 FETCH (UID 1))"},
      {"* LIST \"unterminated"},
      {"* LIST \"bad \\q escape\""},
      {"* 99999999999 EXISTS"},
      {"* SEARCH 99999999999999999999999"},
      {"* 1 FETCH (BODY[HEADER {3}", "abc)"},
      {"* 1 FETCH (X {3}", "ab"},  // the literal ends between CR and LF
  };
  for (const auto& lines : cases) {
    ImapResponseReader reader;
    Fed fed = FeedAll(reader, lines);
    EXPECT_NE(fed.error, "") << lines[0];
    EXPECT_TRUE(fed.responses.empty()) << lines[0];
    EXPECT_EQ(reader.HeldBytes(), 0u) << lines[0];
  }
}

TEST(ImapResponseReader, NestingIsBounded) {
  ImapResponseReader reader;
  std::string deep = "* X " + std::string(100000, '(') + std::string(100000, ')');
  Fed fed = FeedAll(reader, {deep});
  EXPECT_EQ(fed.error, "lists nested too deep");
  std::string shallow = "* X " + std::string(60, '(') + std::string(60, ')');
  EXPECT_EQ(FeedAll(reader, {shallow}).responses.size(), 1u);
}

// A server that sends a literal far longer than the fetch asked for: only the asked-for bytes
// are held at any time, the rest is read and dropped, and the responses after it still arrive.
TEST(ImapResponseReader, HugeLiteralKeepsOnlyWhatWasAskedFor) {
  ImapResponseReader reader;
  reader.SetLiteralKept(100);
  std::vector<std::string> lines = {"* 1 FETCH (BODY[TEXT]<0> {2000000}"};
  const std::string chunk(998, 'x');  // 1000 bytes with its CR LF
  for (int i = 0; i < 2000; ++i) lines.push_back(chunk);
  lines.back() += " UID 4)";
  lines.push_back("a3 OK done");
  // 2000 lines of 1000 bytes are 2000000 bytes only without the last CR LF.
  lines[2000] = std::string(998, 'x') + " UID 4)";
  Fed fed = FeedAll(reader, lines);
  ASSERT_EQ(fed.error, "");
  ASSERT_EQ(fed.responses.size(), 2u);
  const ImapValue& list = fed.responses[0].values.at(0);
  ASSERT_EQ(list.items.size(), 4u);
  EXPECT_EQ(list.items[1].text, std::string(100, 'x'));
  EXPECT_TRUE(list.items[1].truncated);
  EXPECT_EQ(list.items[1].literalSize, 2000000u);
  EXPECT_EQ(Show(list.items[3]), "#4");
  EXPECT_LT(fed.mostHeld, 200u);
  EXPECT_EQ(fed.responses[1].tag, "a3");
}

TEST(ImapResponseReader, RefusesLimitsBreaches) {
  ImapLimits limits;
  limits.maxLiteralSize = 1000;
  limits.maxResponseText = 64;
  limits.maxLiterals = 2;
  ImapResponseReader reader(limits);
  EXPECT_EQ(FeedAll(reader, {"* 1 FETCH (X {1001}"}).error, "literal too long");
  EXPECT_EQ(FeedAll(reader, {"* 1 FETCH (X " + std::string(80, 'a') + ")"}).error,
            "response too long");
  EXPECT_EQ(FeedAll(reader, {"* 1 FETCH (A {0}", " B {0}", " C {0}"}).error, "too many literals");
  // The reader is whole again after each error.
  EXPECT_EQ(FeedAll(reader, {"* 1 FETCH (A {1}", "b)"}).responses.size(), 1u);
}

}  // namespace
}  // namespace postwink
