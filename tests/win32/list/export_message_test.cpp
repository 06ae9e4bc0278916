// Opening a message in the editor, with a small program standing in for the editor that records
// how it was started and what the file held at that moment.
#include "win32/list/export_message.h"

#include <gtest/gtest.h>

#include "core/mime/message_export.h"
#include "core/mime/parse_message.h"
#include "core/platform/system.h"
#include "core/text/cp932.h"
#include "modal_script.h"
#include "win32/checker_app.h"
#include "win32/wide_text.h"

namespace postwink::win {
namespace {

using test::ChildTexts;
using test::FindDialog;
using test::ModalScript;

// The recording editor beside the tests, as Wine sees the build tree.
std::string RecordEditor() { return POSTWINK_RECORD_EDITOR; }

// Code page 932 text as the editor records its command line: UTF-8.
class ExportMessageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string base =
        UserTempDirectory() + "postwink-export-" + std::to_string(GetCurrentProcessId());
    folder_.path = base + "\\";
    ASSERT_TRUE(files_.CreateDirectory(folder_.path));
    record_ = base + "-record";
    SetEnvironmentVariableW(L"POSTWINK_EDITOR_RECORD", Widen(record_).c_str());
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"POSTWINK_EDITOR_RECORD", nullptr);
    files_.RemoveTree(folder_.path);
    files_.RemoveFile(record_ + ".cmdline");
    files_.RemoveFile(record_ + ".file");
  }

  // Runs the export with a script that answers the message box it may show.
  void Export(const MailItem& item, const std::string& editor,
              std::vector<ModalScript::Step> steps = {}, TempFolder* folder = nullptr) {
    ModalScript script(std::move(steps));
    ExportMessage(nullptr, item, editor, folder ? *folder : folder_, charsets_);
    EXPECT_TRUE(script.Done()) << "a message box of the script did not appear";
  }

  // Answers the message box that holds this text.
  static ModalScript::Step Box(std::wstring text) {
    return [text] {
      HWND box = FindDialog(L"Postwink");
      if (!box) return false;
      EXPECT_NE(ChildTexts(box).find(text), std::wstring::npos) << Narrow(ChildTexts(box));
      test::Press(box, IDOK);
      return true;
    };
  }

  FileSystem& files_ = PlatformSystem().files;
  TempFolder folder_{files_, "", PlatformSystem().codePage};
  CharsetContext charsets_{PlatformSystem().codePage, PlatformCharsetConverter()};
  std::string record_;
};

MailItem Message(std::optional<std::string> subject) {
  MailItem item;
  item.from = "a@example.jp";
  item.to = "b@example.jp";
  item.dateText = "26/12/10 09:30:00";
  item.subject = std::move(subject);
  item.contentType = "text/plain; charset=Shift_JIS";
  item.previewText = "\x96\x7b\x95\xb6\r\nhttps://example.jp/\r\n";  // 本文 in Shift_JIS
  return item;
}

TEST_F(ExportMessageTest, TheEditorIsStartedWithTheFileWhenItIsReady) {
  MailItem item = Message("件名: テスト");
  Export(item, RecordEditor());
  // ExportMessage waited until the editor was idle: it had recorded its start by then.
  std::optional<std::string> commandLine = files_.ReadAll(record_ + ".cmdline");
  ASSERT_TRUE(commandLine) << "the editor did not run";
  std::string path = folder_.path + "件名_ テスト.txt";
  EXPECT_EQ(*commandLine, EditorCommandLine(RecordEditor(), path));
  // Every character fits code page 932, so the file is in it.
  std::string expected =
      StoredText(ExportText(item, "本文\r\nhttps://example.jp/\r\n"), PlatformSystem().codePage);
  EXPECT_EQ(expected.substr(expected.size() - 27, 4), "\x96\x7b\x95\xb6");
  EXPECT_EQ(files_.ReadAll(record_ + ".file"), expected);
  EXPECT_EQ(files_.ReadAll(path), expected) << "the file stays for the editor";
}

TEST_F(ExportMessageTest, ASubjectNoFileNameCanHoldStillOpens) {
  // "?" and bytes that are no UTF-8: the wide name gets "_" for both.
  MailItem item = Message("why?\x85\x40");
  Export(item, RecordEditor());
  EXPECT_TRUE(files_.Exists(folder_.path + "why__@.txt"));
  EXPECT_TRUE(files_.ReadAll(record_ + ".cmdline"));
}

TEST_F(ExportMessageTest, NothingWithoutAnEditor) {
  Export(Message("x"), "");
  EXPECT_TRUE(files_.ListDirectory(folder_.path).empty());
}

TEST_F(ExportMessageTest, AnEditorThatCannotStartIsToldAndTheFileStays) {
  Export(Message("x"), folder_.path + "no-such-editor.exe", {Box(L"エディタの起動に失敗しました")});
  EXPECT_TRUE(files_.Exists(folder_.path + "x.txt"));
}

TEST_F(ExportMessageTest, AFileThatCannotBeWrittenIsToldWithItsPath) {
  std::string gone = folder_.path + "gone\\";
  TempFolder missing{files_, gone, PlatformSystem().codePage};
  Export(Message("x"), RecordEditor(), {Box(Widen("Cannot open file = " + gone + "x.txt"))},
         &missing);
  EXPECT_FALSE(files_.ReadAll(record_ + ".cmdline")) << "no editor without a file";
}

}  // namespace
}  // namespace postwink::win
