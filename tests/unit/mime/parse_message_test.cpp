#include "core/mime/parse_message.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "core/mime/message_identity.h"
#include "unit/mime/mime_test_support.h"

namespace postwink {
namespace {

using test::Crlf;
using test::Options;

MailItem Parse(const std::string& text, bool showHeader = false) {
  MailItem item;
  ParseMessage(item, text, "1234", Options(showHeader));
  return item;
}

TEST(ParseMessage, TakesTheFieldsOfTheHeader) {
  std::string text = Crlf({
      "From: =?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?= <t@example.jp>",
      "To: a@example.jp",
      "Subject: Hello",
      "cc: c@example.jp",
      "TO: b@example.jp",
      "Date: Tue, 5 Jul 2005 05:32:10 GMT",
      "Message-ID: <id-1@example.jp> (comment)",
      "X-UIDL: uidl-1",
      "",
      "Body line",
  });
  MailItem item = Parse(text);
  EXPECT_EQ(item.from, "テスト <t@example.jp>");
  EXPECT_EQ(item.to, "a@example.jp,b@example.jp");
  EXPECT_EQ(item.cc, "c@example.jp");
  EXPECT_EQ(item.subject, "Hello");
  EXPECT_EQ(item.dateText, "05/07/05 14:32:10");
  EXPECT_EQ(item.sizeText, "1234");
  EXPECT_EQ(item.identity, "<id-1@example.jp>");
  EXPECT_EQ(item.uniqueId, "uidl-1");
  EXPECT_EQ(item.headerText, text.substr(0, text.find("Body")));
  EXPECT_EQ(item.previewText, "Body line\r\n");
  EXPECT_EQ(item.isMultipart, 0);
  EXPECT_EQ(item.hasAttachment, 0);
  EXPECT_EQ(item.contentType, std::nullopt);

  MailItem bare = Parse("X-Other: 1\r\n");
  EXPECT_EQ(bare.dateText, std::nullopt);
  EXPECT_EQ(bare.from, std::nullopt);
  EXPECT_EQ(bare.headerText, "X-Other: 1\r\n");
  EXPECT_EQ(bare.identity, ".");
  EXPECT_EQ(bare.previewText, std::nullopt);
}

TEST(ParseMessage, ImportanceFromXPriority) {
  struct Case {
    const char* header;
    bool important;
  } cases[] = {
      {"X-Priority: 1", true},    {"X-Priority: 2 (High)", true},
      {"X-Priority: 3", false},   {"X-Priority: 5 (Lowest)", false},
      {"X-Priority: High", true}, {"X-Priority:  -7", true},
      {"X-Other: 1", false},
  };
  for (const Case& c : cases) {
    MailItem item;
    item.flags = kMailImportant | kMailRead;
    ParseMessage(item, Crlf({c.header, "", "x"}), std::nullopt, Options());
    EXPECT_EQ((item.flags & kMailImportant) != 0, c.important) << c.header;
    EXPECT_TRUE(item.flags & kMailRead);
    EXPECT_EQ(item.sizeText, std::nullopt);
  }
}

TEST(ParseMessage, MultipartIgnoresTheTransferEncoding) {
  MailItem item =
      Parse(Crlf({"Content-Type: Multipart/Mixed; boundary=b", "Content-Transfer-Encoding: base64",
                  "", "--b", "", "text", "--b--"}));
  EXPECT_EQ(item.isMultipart, 1);
  EXPECT_EQ(item.transferEncoding, std::nullopt);
  EXPECT_EQ(item.hasAttachment, 0);
}

TEST(ParseMessage, OnlyTextBodiesAreTransferDecodedForThePreview) {
  MailItem text = Parse(Crlf({"Content-Type: text/plain", "Content-Transfer-Encoding: BASE64", "",
                              "SGVsbG8s", "IHdvcmxk"}));
  EXPECT_EQ(text.previewText, "Hello, world");
  EXPECT_EQ(text.transferEncoding, std::nullopt);
  EXPECT_EQ(text.hasAttachment, 0);

  MailItem qp = Parse(Crlf({"Content-Type: text/plain",
                            "Content-Transfer-Encoding: quoted-printable", "", "a=3Db_c=", "d"}));
  EXPECT_EQ(qp.previewText, "a=b_cd\r\n");

  MailItem pdf = Parse(Crlf({"Content-Type: application/pdf; name=x.pdf",
                             "Content-Transfer-Encoding: base64", "", "JVBERg=="}));
  EXPECT_EQ(pdf.previewText, "JVBERg==\r\n");
  EXPECT_EQ(pdf.transferEncoding, "base64");
  EXPECT_EQ(pdf.hasAttachment, 1);
}

// POP3 doubles a dot at a line start; it comes off before the body is decoded, so a soft line
// break in quoted-printable cannot leave a dot doubled. A file as stored has no doubled dots.
TEST(ParseMessage, DotStuffingComesOffBeforeTheBodyIsDecoded) {
  EXPECT_EQ(Parse(Crlf({"Content-Type: text/plain", "Content-Transfer-Encoding: quoted-printable",
                        "", "a=", "..b", "..c"}))
                .previewText,
            "a.b\r\n.c\r\n");
  ParseOptions stored = Options();
  stored.dotStuffed = false;
  MailItem item;
  ParseMessage(item, Crlf({"Subject: s", "", "..two dots"}), std::nullopt, stored);
  EXPECT_EQ(item.previewText, "..two dots\r\n");
}

TEST(ParseMessage, ShowHeaderPutsTheHeaderBlockBeforeThePreview) {
  std::string withBody = Crlf({"Subject: s", "", "body"});
  EXPECT_EQ(Parse(withBody, true).previewText, withBody);
  std::string headerOnly = Crlf({"Subject: s", ""});
  EXPECT_EQ(Parse(headerOnly, true).previewText, headerOnly);
  EXPECT_EQ(Parse(headerOnly, false).previewText, std::nullopt);
}

// The paper clip means "something to open": a part marked as an attachment, a named part, or
// a part that is not text, other than the body and the pictures of an HTML page.
TEST(ParseMessage, AttachmentFlagMeansSomethingToOpen) {
  auto multipart = [](const char* type, std::initializer_list<const char*> parts) {
    std::string text = "Content-Type: " + std::string(type) + "; boundary=b\r\n\r\n";
    for (const char* part : parts) text += "--b\r\n" + std::string(part) + "\r\n";
    return text + "--b--\r\n";
  };
  struct Case {
    const char* what;
    std::string text;
    int expected;
  } cases[] = {
      {"text and HTML versions",
       multipart("multipart/alternative",
                 {"Content-Type: text/plain\r\n\r\nt", "Content-Type: text/html\r\n\r\n<p>h</p>"}),
       0},
      {"text, HTML and an image",
       multipart("multipart/mixed",
                 {"Content-Type: text/plain\r\n\r\nt", "Content-Type: text/html\r\n\r\nh",
                  "Content-Type: image/png\r\n\r\np"}),
       1},
      {"an inline picture of an HTML page",
       multipart("multipart/related",
                 {"Content-Type: text/html\r\n\r\n<img src=cid:a>",
                  "Content-Type: image/png; name=\"image001.png\"\r\nContent-Disposition: "
                  "inline; filename=\"image001.png\"\r\n\r\np"}),
       0},
      {"a picture of the page marked as an attachment",
       multipart("multipart/related", {"Content-Type: text/html\r\n\r\nh",
                                       "Content-Type: image/png\r\nContent-Disposition: "
                                       "attachment\r\n\r\np"}),
       1},
      {"a named text part",
       multipart("multipart/mixed", {"Content-Type: text/plain\r\n\r\nt",
                                     "Content-Type: text/plain; name*=UTF-8''a.csv\r\n\r\nc"}),
       1},
      {"a text part marked as an attachment",
       multipart("multipart/mixed",
                 {"Content-Type: text/plain\r\n\r\nt", "Content-Disposition: attachment\r\n\r\nx"}),
       1},
      {"a message in a digest", multipart("multipart/digest", {"\r\nSubject: inner\r\n\r\nx"}), 1},
      {"a single named attachment",
       Crlf({"Content-Type: text/plain; name=\"list.csv\"",
             "Content-Disposition: attachment; filename=\"list.csv\"", "", "a,b"}),
       1},
      {"a single text part", Crlf({"Content-Type: text/plain", "", "hello"}), 0},
      {"a type that is no type is text", Crlf({"Content-Type: {}", "", "hello"}), 0},
      {"a single PDF", Crlf({"Content-Type: application/pdf", "", "%PDF"}), 1},
  };
  for (const Case& c : cases) EXPECT_EQ(Parse(c.text).hasAttachment, c.expected) << c.what;
}

TEST(ParseMessage, AttachmentFlagOfAMessageWithoutBodyLines) {
  // Fetched without body lines: the only part is the multipart itself.
  MailItem cut = Parse(Crlf({"Content-Type: multipart/mixed; boundary=b", ""}));
  EXPECT_EQ(cut.previewText, std::nullopt);
  EXPECT_EQ(cut.hasAttachment, 1);
}

TEST(ParseMessage, FiveMegabyteBody) {
  std::string text = Crlf({"Content-Type: text/plain", "Content-Transfer-Encoding: base64", ""});
  std::string line(76, 'Q');
  while (text.size() < 5 * 1000 * 1000) text += line + "\r\n";
  MailItem item = Parse(text);
  ASSERT_TRUE(item.previewText);
  EXPECT_GT(item.previewText->size(), 3u * 1000 * 1000);
}

TEST(ParseMessage, DumpsEachMessageUnderANewNameWhenLogIsOn) {
  test::ScratchFolder folder;
  ParseOptions options = Options();
  options.log = true;
  options.files = &PlatformSystem().files;
  options.tempFolder = folder.Path();
  std::string text = Crlf({"From: a <a@b>", "Subject: x/y", "Message-Id: <m@h>", "", "body"});
  for (int i = 0; i < 3; ++i) {
    MailItem item;
    ParseMessage(item, text, std::nullopt, options);
  }
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Dir())) {
    names.insert(entry.path().filename().string());
  }
  const std::string base = "a _a@b_-x_y--_m@h_";
  EXPECT_EQ(names, (std::set<std::string>{base, base + "0", base + "01"}));
  EXPECT_EQ(PlatformSystem().files.ReadAll(folder.Path() + base), text);
}

// A folder where every name is taken: the counter digits stop after 99 and nothing is written.
class FullFolder final : public FileSystem {
 public:
  std::optional<std::string> ReadAll(const std::string&) const override { return std::nullopt; }
  bool WriteAtomic(const std::string&, std::string_view) override { return ++writes, true; }
  bool Append(const std::string&, std::string_view) override { return ++writes, true; }
  bool Exists(const std::string& path) const override {
    lastAsked = path;
    return ++asked, true;
  }
  bool IsDirectory(const std::string&) const override { return false; }
  bool RemoveFile(const std::string&) override { return false; }
  bool CreateDirectory(const std::string&) override { return false; }
  bool RemoveTree(const std::string&) override { return false; }
  std::vector<std::string> ListDirectory(const std::string&) const override { return {}; }
  char Separator() const override { return '/'; }

  int writes = 0;
  mutable int asked = 0;
  mutable std::string lastAsked;
};

TEST(ParseMessage, DumpGivesUpWhenTheCounterPassesNinetyNine) {
  FullFolder folder;
  ParseOptions options = Options();
  options.log = true;
  options.files = &folder;
  options.tempFolder = "/tmp/pw/";
  MailItem item;
  ParseMessage(item, Crlf({"Subject: s", "", "b"}), std::nullopt, options);
  EXPECT_EQ(folder.writes, 0);
  // The bare name (its trailing dot made safe), then the digits of 0 to 99 appended in turn.
  EXPECT_EQ(folder.asked, 101);
  std::string digits;
  for (int i = 0; i <= 99; ++i) digits += std::to_string(i);
  EXPECT_EQ(folder.lastAsked, "/tmp/pw/-s--._" + digits);
}

TEST(MessageIdentity, MessageIdThenUidlThenDateAndFrom) {
  struct Case {
    std::string text;
    std::string identity;
  } cases[] = {
      {Crlf({"Message-Id: x <a@b> y", "X-UIDL: u"}), "<a@b>"},
      {Crlf({"Message-Id: <a@b", "X-UIDL: u"}), "u"},
      {Crlf({"Message-Id: a@b>", "Date: d", "From: f"}), "d.f"},
      {Crlf({"Date: d", "", "Message-Id: <body@x>"}), "d."},
      {Crlf({"Message-Id:", " <folded@x>"}), "<folded@x>"},
  };
  for (const Case& c : cases) EXPECT_EQ(MessageIdentity(c.text), c.identity) << c.text;
}

TEST(FromDisplayName, TakesTheNameBeforeTheAddress) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"\"Taro Yamada\" <taro@example.jp>", "Taro Yamada"},
      {"  Taro <taro@example.jp>", "Taro"},
      {"<taro@example.jp>", "<taro@example.jp>"},
      {"taro@example.jp", "taro@example.jp"},
      {"\"\" <taro@example.jp>", "\"\" <taro@example.jp>"},
      {"Ta\"ro <t@x>", "Ta\"ro"},
      {"Taro <t@x", "Taro <t@x"},
  };
  for (const Case& c : cases) {
    std::string text = c.in;
    FromDisplayName(text);
    EXPECT_EQ(text, c.out) << c.in;
  }
}

TEST(AddressTipText, OneAddressALine) {
  MailItem item;
  item.from = "f@x";
  EXPECT_EQ(AddressTipText(item), "From: f@x\r\nTo: ");
  item.to = "a@x,   b@x";
  item.cc = "c@x, d@x";
  EXPECT_EQ(AddressTipText(item), "From: f@x\r\nTo: a@x\r\n b@x\r\nCC: c@x\r\n d@x");
}

TEST(FreeLargeTexts, DropsPreviewAndHeader) {
  MailItem item = Parse(Crlf({"Subject: s", "", "body"}));
  FreeLargeTexts(item);
  EXPECT_EQ(item.previewText, std::nullopt);
  EXPECT_EQ(item.headerText, std::nullopt);
  EXPECT_EQ(item.subject, "s");
}

}  // namespace
}  // namespace postwink
