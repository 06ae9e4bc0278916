#include "core/mime/attachment_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/mime/body_and_parts.h"
#include "core/mime/parse_message.h"
#include "unit/mime/mime_test_support.h"

namespace postwink {
namespace {

using test::Crlf;

class AttachmentFile : public ::testing::Test {
 protected:
  // Parses the message and writes part `index` into the scratch folder.
  std::optional<std::string> Extract(const std::string& text, size_t index) {
    item_ = MailItem();
    ParseMessage(item_, text, std::nullopt, test::Options());
    GetBodyAndParts(item_, parts_, test::Charsets());
    return ExtractAttachment(item_, parts_, index, temp_);
  }
  std::string Read(const std::string& path) { return *PlatformSystem().files.ReadAll(path); }
  // Not std::filesystem: on Windows it would read the UTF-8 path in the ANSI code page.
  std::string Name(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
  }

  test::ScratchFolder folder_;
  TempFolder temp_{PlatformSystem().files, folder_.Path(), PlatformSystem().codePage};
  MailItem item_;
  PartList parts_;
};

std::string TwoParts(const char* attachmentHeader, const char* encoding, const char* data) {
  return Crlf({"Content-Type: multipart/mixed; boundary=b", "", "--b", "Content-Type: text/plain",
               "", "body", "--b", attachmentHeader, encoding, "", data, "--b--"});
}

TEST_F(AttachmentFile, Base64DataKeepsItsNulBytes) {
  auto path = Extract(TwoParts("Content-Type: application/octet-stream; name=\"z.bin\"",
                               "Content-Transfer-Encoding: Base64", "AAEAAg=="),
                      1);
  ASSERT_TRUE(path);
  EXPECT_EQ(Name(*path), "z.bin");
  EXPECT_EQ(Read(*path), std::string("\0\x01\0\x02", 4));
}

TEST_F(AttachmentFile, UnencodedDataIsWrittenWhole) {
  std::string text = TwoParts("Content-Type: application/x-raw; name=r.bin",
                              "Content-Transfer-Encoding: binary", "aXb");
  text[text.find("aXb") + 1] = '\0';
  auto path = Extract(text, 1);
  ASSERT_TRUE(path);
  EXPECT_EQ(Read(*path), std::string("a\0b", 3));
}

TEST_F(AttachmentFile, NamesComeFromTheNameTheTypeOrTheSystem) {
  auto jpeg = Extract(TwoParts("Content-Type: image/jpeg", "X-N: 1", "JFIF"), 1);
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(Name(*jpeg), ".jpg");
  EXPECT_EQ(Read(*jpeg), "JFIF");

  auto octet = Extract(TwoParts("Content-Type: application/octet-stream", "X-N: 1", "x"), 1);
  ASSERT_TRUE(octet);
  EXPECT_EQ(Name(*octet), "application_octet-stream");

  auto untyped = Extract(Crlf({"Content-Type: multipart/mixed; boundary=b", "", "--b",
                               "Content-Type: text/plain", "", "t", "--b", "", "data", "--b--"}),
                         1);
  ASSERT_TRUE(untyped);
  EXPECT_EQ(Name(*untyped).substr(0, 3), "Pos");
  EXPECT_EQ(Read(*untyped), "data");

  // No body lines fetched: the multipart itself, written as an empty file named after its type.
  auto whole = Extract(Crlf({"Content-Type: multipart/mixed; boundary=b", ""}), 0);
  ASSERT_TRUE(whole);
  EXPECT_EQ(Name(*whole), "multipart_mixed_ boundary=b");
  EXPECT_EQ(Read(*whole), "");
}

TEST_F(AttachmentFile, HostileNamesStayInTheFolder) {
  const char* names[] = {
      "../../escape.txt", "..\\..\\escape.txt",   "CON", "nul.txt", "a.", "/etc/passwd", "C:evil",
      "\x83/../x",        "\xff\x85\x5c..\\x.bin"};
  for (const char* name : names) {
    auto path = WriteAttachmentFile(std::string(name), "data", temp_);
    ASSERT_TRUE(path) << name;
    EXPECT_EQ(std::filesystem::path(*path).parent_path().parent_path(), folder_.Dir()) << name;
    EXPECT_EQ(Read(*path), "data");
  }
  EXPECT_FALSE(std::filesystem::exists(folder_.Dir().parent_path() / "escape.txt"));
  // A name with bytes that are no UTF-8 is created under a safe name, not lost; every real
  // character is kept.
  auto unmapped = WriteAttachmentFile(std::string("\x80\x85\x40.bin"), "u", temp_);
  ASSERT_TRUE(unmapped);
  EXPECT_EQ(Name(*unmapped), "__@.bin");
  EXPECT_EQ(Read(*unmapped), "u");
  auto korean = WriteAttachmentFile(std::string("견적서.xlsx"), "k", temp_);
  ASSERT_TRUE(korean);
  EXPECT_EQ(Name(*korean), "견적서.xlsx");
  auto cut = Extract(
      TwoParts(("Content-Type: text/x; name=" + std::string(300, 'n')).c_str(), "X-N: 1", "d"), 1);
  ASSERT_TRUE(cut);
  EXPECT_EQ(Name(*cut), std::string(206, 'n'));
}

TEST_F(AttachmentFile, EachOpenedAttachmentGetsAFileOfItsOwn) {
  // A viewer may still hold the first (a PDF open from the last time): the second of that name
  // neither needs to replace it nor may change what the viewer shows.
  auto first = WriteAttachmentFile(std::string("report.pdf"), "first", temp_);
  auto second = WriteAttachmentFile(std::string("report.pdf"), "second", temp_);
  ASSERT_TRUE(first && second);
  EXPECT_NE(*first, *second);
  EXPECT_EQ(Name(*first), "report.pdf");
  EXPECT_EQ(Name(*second), "report.pdf");
  EXPECT_EQ(Read(*first), "first");
  EXPECT_EQ(Read(*second), "second");
  // Something else of a sub-folder's name in the folder is passed over, not written into.
  ASSERT_TRUE(PlatformSystem().files.WriteWhole(folder_.Path() + "a3", "not a folder"));
  auto third = WriteAttachmentFile(std::string("report.pdf"), "third", temp_);
  ASSERT_TRUE(third);
  EXPECT_EQ(Read(*third), "third");
  EXPECT_EQ(Read(folder_.Path() + "a3"), "not a folder");
}

TEST_F(AttachmentFile, AFolderThatCannotBeWrittenGivesNoFile) {
  TempFolder missing{PlatformSystem().files, folder_.Path() + "gone/", PlatformSystem().codePage};
  EXPECT_FALSE(WriteAttachmentFile(std::string("report.pdf"), "x", missing));
  EXPECT_FALSE(WriteAttachmentFile(std::nullopt, "x", missing));
}

TEST_F(AttachmentFile, ANewUniqueFileEachTimeWithoutAName) {
  auto first = WriteAttachmentFile(std::nullopt, "1", temp_);
  auto second = WriteAttachmentFile(std::string(), "2", temp_);
  ASSERT_TRUE(first && second);
  EXPECT_NE(*first, *second);
  EXPECT_EQ(Read(*first), "1");
  EXPECT_EQ(Read(*second), "2");
}

TEST(ExportHeaderText, LinesBetweenHyphens) {
  const std::string hyphens = std::string(43, '-') + "\r\n";
  MailItem item;
  item.from = "f";
  item.to = "t";
  item.dateText = "05/07/05 14:32:10";
  EXPECT_EQ(ExportHeaderText(item), hyphens +
                                        "From   : f\r\nTo     : t\r\n"
                                        "Date   : 05/07/05 14:32:10\r\nSubject: (no subject)\r\n" +
                                        hyphens);
  item.cc = "c";
  item.subject = "s";
  EXPECT_EQ(ExportHeaderText(item), hyphens +
                                        "From   : f\r\nTo     : t\r\nCC     : c\r\n"
                                        "Date   : 05/07/05 14:32:10\r\nSubject: s\r\n" +
                                        hyphens);
}

}  // namespace
}  // namespace postwink
