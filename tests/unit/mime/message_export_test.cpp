#include "core/mime/message_export.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/mime/parse_message.h"
#include "unit/mime/mime_test_support.h"

namespace postwink {
namespace {

using test::Crlf;

class MessageExport : public ::testing::Test {
 protected:
  std::string Name(const std::string& path) {
    return std::filesystem::path(path).filename().string();
  }
  void Touch(const std::string& path) { ASSERT_TRUE(PlatformSystem().files.WriteWhole(path, "")); }

  test::ScratchFolder folder_;
  TempFolder temp_{PlatformSystem().files, folder_.Path(), PlatformSystem().codePage};
};

TEST_F(MessageExport, NamedAfterTheSubjectMadeSafe) {
  struct Case {
    std::optional<std::string> subject;
    std::string name;
  } cases[] = {
      {std::nullopt, "(no subject).txt"},
      {"", "(no subject).txt"},
      {"Re: a/b", "Re_ a_b.txt"},
      {"ソフト", "ソフト.txt"},
      {"Réunion à 15h 🎉", "Réunion à 15h 🎉.txt"},
      {"\x85\x40?", "_@_.txt"},  // bytes that are no UTF-8
  };
  for (const Case& c : cases) {
    MailItem item;
    item.subject = c.subject;
    EXPECT_EQ(ExportPath(item, temp_), folder_.Path() + c.name) << c.name;
  }
}

TEST_F(MessageExport, ALongSubjectIsCutToTheRoomTheFolderLeaves) {
  MailItem item;
  item.subject = std::string(300, 'x');
  size_t room = 250 - folder_.Path().size();
  EXPECT_EQ(Name(ExportPath(item, temp_)), std::string(room - 1, 'x') + ".txt");
  // Exactly as long as the room: not cut.
  item.subject = std::string(room, 'y');
  EXPECT_EQ(Name(ExportPath(item, temp_)), std::string(room, 'y') + ".txt");
  // The room counts UTF-16 units, as Windows counts a path: "ソ" takes one, "😀" two. A cut
  // never splits a character, nor leaves a trailing dot.
  item.subject = std::string(room - 2, 'z') + "ソ" + "tail";
  EXPECT_EQ(Name(ExportPath(item, temp_)), std::string(room - 2, 'z') + "ソ.txt");
  item.subject = std::string(room - 2, 'z') + "😀" + "tail";
  EXPECT_EQ(Name(ExportPath(item, temp_)), std::string(room - 2, 'z') + ".txt");
  item.subject = std::string(room - 2, 'z') + ". more";
  EXPECT_EQ(Name(ExportPath(item, temp_)), std::string(room - 2, 'z') + "._.txt");
}

TEST_F(MessageExport, TakenNamesGetANumberUntilTheLastIsReused) {
  MailItem item;
  std::string base = folder_.Path() + "(no subject)";
  EXPECT_EQ(ExportPath(item, temp_), base + ".txt");
  Touch(base + ".txt");
  EXPECT_EQ(ExportPath(item, temp_), base + "[1].txt");
  Touch(base + "[1].txt");
  EXPECT_EQ(ExportPath(item, temp_), base + "[2].txt");
  for (int n = 2; n <= 97; ++n) Touch(base + "[" + std::to_string(n) + "].txt");
  EXPECT_EQ(ExportPath(item, temp_), base + "[98].txt");
  Touch(base + "[98].txt");
  EXPECT_EQ(ExportPath(item, temp_), base + "[98].txt");
}

TEST_F(MessageExport, HeaderBlockAndBodyWithCrLf) {
  MailItem item;
  ParseMessage(
      item,
      Crlf({"From: a@example.jp", "To: b@example.jp", "Cc: c@example.jp",
            "Subject: =?ISO-2022-JP?B?GyRCRnxLXDhsGyhC?=", "Date: Tue, 5 Jul 2005 14:32:10 +0900",
            "Content-Type: text/plain; charset=utf-8", "Content-Transfer-Encoding: base64", "",
            // "行1\nline2\r\nline3\rend" in UTF-8
            "6KGMMQpsaW5lMg0KbGluZTMNZW5k"}),
      std::nullopt, test::Options());
  ExportResult result = WriteExportFile(item, temp_, test::Charsets());
  ASSERT_TRUE(result.written);
  EXPECT_EQ(result.path, folder_.Path() + "日本語.txt");
  const std::string hyphens = std::string(43, '-') + "\r\n";
  // Every character fits code page 932, so the file is in it, for editors that read only that.
  EXPECT_EQ(*PlatformSystem().files.ReadAll(result.path),
            hyphens +
                "From   : a@example.jp\r\nTo     : b@example.jp\r\nCC     : c@example.jp\r\nDate   "
                ": 05/07/05 14:32:10\r\nSubject: \x93\xFA\x96\x7B\x8C\xEA\r\n" +
                hyphens + "\x8Ds1\r\nline2\r\nline3\r\nend");
}

// One character that code page 932 lacks makes the whole file UTF-8 after a byte order mark.
TEST_F(MessageExport, UnicodeOutside932IsWrittenAsUtf8WithAMark) {
  MailItem item;
  ParseMessage(item,
               Crlf({"From: a@example.jp", "Subject: =?UTF-8?B?7ZWc6rWt7Ja0IPCfjok=?=",
                     "Content-Type: text/plain; charset=utf-8", "", "日本語 café"}),
               std::nullopt, test::Options());
  ExportResult result = WriteExportFile(item, temp_, test::Charsets());
  ASSERT_TRUE(result.written);
  EXPECT_EQ(result.path, folder_.Path() + "한국어 🎉.txt");
  const std::string text = *PlatformSystem().files.ReadAll(result.path);
  EXPECT_TRUE(text.starts_with("\xEF\xBB\xBF" + std::string(43, '-'))) << text;
  EXPECT_NE(text.find("Subject: 한국어 🎉\r\n"), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with("日本語 café\r\n")) << text;
}

TEST_F(MessageExport, AMessageWithoutBodyTextGivesTheHeaderBlockAlone) {
  MailItem item;
  ParseMessage(item, Crlf({"Subject: pdf", "Content-Type: application/pdf", "", "%PDF"}),
               std::nullopt, test::Options());
  ExportResult result = WriteExportFile(item, temp_, test::Charsets());
  ASSERT_TRUE(result.written);
  EXPECT_EQ(*PlatformSystem().files.ReadAll(result.path), ExportHeaderText(item));
}

TEST_F(MessageExport, AFolderThatIsGoneReportsThePath) {
  TempFolder gone{PlatformSystem().files, folder_.Path() + "missing/", PlatformSystem().codePage};
  MailItem item;
  ExportResult result = WriteExportFile(item, gone, test::Charsets());
  EXPECT_FALSE(result.written);
  EXPECT_EQ(result.path, folder_.Path() + "missing/(no subject).txt");
  EXPECT_EQ(CannotOpenFileText(result.path), "Cannot open file = " + result.path);
}

TEST(EditorCommandLine, BothPathsQuotedAndTheFailureText) {
  EXPECT_EQ(std::string(kTextEditorFailed), "エディタの起動に失敗しました");
  EXPECT_EQ(EditorCommandLine("C:\\Program Files\\ed.exe", "C:\\T\\a b.txt"),
            "\"C:\\Program Files\\ed.exe\" \"C:\\T\\a b.txt\"");
}

}  // namespace
}  // namespace postwink
