// The attachment dialog, driven through its real modal loops: the shell's open, the system's
// save-file dialog and the message boxes.
#include "win32/list/attachment_dialog.h"

#include <gtest/gtest.h>

#include "core/platform/system.h"
#include "modal_script.h"
#include "win32/checker_app.h"
#include "win32/handles.h"
#include "win32/resource.h"
#include "win32/wide_text.h"

namespace postwink::win {
namespace {

using test::ChildTexts;
using test::FindDialog;
using test::FindFileDialog;
using test::ModalScript;
using test::Press;
using test::WindowText;

const std::wstring kTitle = L"添付ファイル";

// What the file's Zone.Identifier stream holds; none without one.
std::optional<std::string> ZoneMark(const std::string& path) {
  return PlatformSystem().files.ReadAll(path + ":Zone.Identifier");
}

class AttachmentDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        UserTempDirectory() + "postwink-attach-" + std::to_string(GetCurrentProcessId()) + "\\";
    ASSERT_TRUE(files_.CreateDirectory(folder_));
  }
  void TearDown() override { files_.RemoveTree(folder_); }

  std::string Extracted(const std::string& name, const std::string& bytes) {
    std::string path = folder_ + name;
    EXPECT_TRUE(files_.WriteWhole(path, bytes));
    return path;
  }

  // Runs the dialog with the script; the script must have run to its end.
  INT_PTR Run(const std::string& path, std::vector<ModalScript::Step> steps) {
    ModalScript script(std::move(steps));
    INT_PTR result = AttachmentDialog(path).Run(nullptr);
    EXPECT_TRUE(script.Done()) << "a window of the script did not appear";
    return result;
  }

  FileSystem& files_ = PlatformSystem().files;
  std::string folder_;
};

// Presses a button of the attachment dialog once it is there.
ModalScript::Step Click(int id) {
  return [id] {
    HWND dialog = FindDialog(kTitle);
    if (dialog) Press(dialog, id);
    return dialog != nullptr;
  };
}

// Answers a message box with this text in it.
ModalScript::Step Confirm(const std::wstring& text, std::wstring* seen = nullptr) {
  return [text, seen] {
    HWND box = FindDialog(L"Postwink");
    if (!box) return false;
    std::wstring all = ChildTexts(box);
    if (seen) *seen = all;
    EXPECT_NE(all.find(text), std::wstring::npos) << Narrow(all);
    Press(box, IDOK);
    return true;
  };
}

// Types a path into the save-file dialog and confirms it; proposed receives the name it offered.
ModalScript::Step SaveAs(const std::string& target, std::wstring* proposed) {
  return [target, proposed] {
    HWND dialog = FindFileDialog();
    if (!dialog) return false;
    HWND field = test::FileNameField(dialog);
    if (proposed) *proposed = WindowText(field);
    SetWindowTextW(field, Widen(target).c_str());
    Press(dialog, IDOK);
    return true;
  };
}

TEST_F(AttachmentDialogTest, AsksAboutTheFileAndCancelKeepsIt) {
  std::string path = Extracted("photo.jpg", "JFIF");
  std::wstring question, open, save, cancel;
  UINT defaultId = 0;
  bool focusOnSave = false;
  INT_PTR result = Run(path, {[&] {
                         HWND dialog = FindDialog(kTitle);
                         if (!dialog) return false;
                         question = WindowText(GetDlgItem(dialog, IDC_ATTACH_QUESTION));
                         open = WindowText(GetDlgItem(dialog, IDOK));
                         save = WindowText(GetDlgItem(dialog, IDC_ATTACH_SAVE));
                         cancel = WindowText(GetDlgItem(dialog, IDCANCEL));
                         defaultId = LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0));
                         focusOnSave = GetFocus() == GetDlgItem(dialog, IDC_ATTACH_SAVE);
                         Press(dialog, IDCANCEL);
                         return true;
                       }});
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(question, L"ファイル (photo.jpg) を開きますか？\n名前を付けて保存しますか？");
  EXPECT_EQ(open, L"開く");
  EXPECT_EQ(save, L"保存...");
  EXPECT_EQ(cancel, L"ｷｬﾝｾﾙ");
  EXPECT_EQ(defaultId, static_cast<UINT>(IDC_ATTACH_SAVE));
  EXPECT_TRUE(focusOnSave) << "Enter saves";
  EXPECT_TRUE(files_.Exists(path));
}

TEST_F(AttachmentDialogTest, SaveCopiesTheFileWhereTheUserPointsAndRemovesTheExtractedOne) {
  std::string path = Extracted("report.pdf", std::string("%PDF\0\x01", 6));
  std::string target = folder_ + "saved copy.pdf";
  std::wstring proposed;
  EXPECT_EQ(Run(path, {Click(IDC_ATTACH_SAVE), SaveAs(target, &proposed)}), IDC_ATTACH_SAVE);
  EXPECT_EQ(proposed, L"report.pdf");
  EXPECT_EQ(files_.ReadAll(target), std::string("%PDF\0\x01", 6));
  EXPECT_FALSE(files_.Exists(path));
  EXPECT_EQ(ZoneMark(target), "[ZoneTransfer]\r\nZoneId=3\r\n") << "saved from mail, marked so";
}

TEST_F(AttachmentDialogTest, CancellingTheSaveDialogClosesBothAndKeepsTheFile) {
  std::string path = Extracted("a.zip", "PK");
  EXPECT_EQ(Run(path, {Click(IDC_ATTACH_SAVE),
                       [] {
                         HWND dialog = FindFileDialog();
                         if (dialog) Press(dialog, IDCANCEL);
                         return dialog != nullptr;
                       }}),
            IDC_ATTACH_SAVE);
  EXPECT_TRUE(files_.Exists(path));
}

TEST_F(AttachmentDialogTest, ASaveThatFailsSaysSoAndStillRemovesTheExtractedFile) {
  std::string path = Extracted("b.txt", "new");
  std::string target = Extracted("locked.txt", "old");
  // Another program holds the target open, sharing nothing.
  KernelHandle lock(CreateFileW(Widen(target).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(lock.valid());
  auto replace = [] {
    // The save dialog asks before it overwrites: yes.
    HWND ask = test::FindThreadWindow([](HWND hwnd) {
      return test::ClassName(hwnd) == L"#32770" && GetDlgItem(hwnd, IDYES) != nullptr;
    });
    if (ask) Press(ask, IDYES);
    return ask != nullptr;
  };
  Run(path, {Click(IDC_ATTACH_SAVE), SaveAs(target, nullptr), replace,
             Confirm(L"ファイルの保存に失敗しました。")});
  lock.reset();
  EXPECT_EQ(files_.ReadAll(target), "old");
  EXPECT_FALSE(files_.Exists(path));
}

TEST_F(AttachmentDialogTest, AFileTheShellCannotOpenGivesTheErrorTextAndStays) {
  std::string path = Extracted("data.postwink-unknown", "?");
  std::wstring seen;
  EXPECT_EQ(Run(path, {Click(IDOK), Confirm(L"実行エラーです\n", &seen)}), IDOK);
  // The reason for the shell's code, then the path.
  EXPECT_NE(seen.find(L"指定されたファイル拡張子に関連付けられたアプリケーションがありません。"),
            std::wstring::npos)
      << Narrow(seen);
  EXPECT_NE(seen.find(Widen(path)), std::wstring::npos);
  EXPECT_TRUE(files_.Exists(path));
  EXPECT_EQ(ZoneMark(path), "[ZoneTransfer]\r\nZoneId=3\r\n") << "marked before it is opened";
}

}  // namespace
}  // namespace postwink::win
