#include "core/list/attachment_prompt.h"

#include <gtest/gtest.h>

#include "core/text/utf8.h"

#include "core/platform/system.h"

namespace postwink {
namespace {

// The texts are code page 932 bytes; compared here as the wide text the dialog shows.
std::u16string Shown(const std::string& text) { return Utf8ToUtf16(text); }

TEST(AttachmentPrompt, TheQuestionNamesTheFileWithoutItsFolder) {
  EXPECT_EQ(Shown(AttachmentQuestion("C:\\Temp\\Postwink\\photo.jpg")),
            u"ファイル (photo.jpg) を開きますか？\n名前を付けて保存しますか？");
  // A folder whose name holds a trail byte 0x5C is not cut inside its character.
  EXPECT_EQ(FileNamePart("C:\\表\\a.txt"), "a.txt");
  EXPECT_EQ(FileNamePart("C:\\T\\表"), "表");
  EXPECT_EQ(FileNamePart("/tmp/x/.jpg"), ".jpg");
  EXPECT_EQ(FileNamePart("plain"), "plain");
}

TEST(AttachmentPrompt, ShellErrorsByTheirCode) {
  struct Case {
    int code;
    std::u16string reason;
  } cases[] = {
      {0, u"メモリまたはリソースが不足しています。"},
      {2, u"指定されたファイルが見つかりませんでした。"},
      {3, u"指定されたパスが見つかりませんでした。"},
      {5, u"オペレーティングシステムが、指定されたファイルへのアクセスを拒否しました。"},
      {8, u"操作を完了するのに十分なメモリがありません。"},
      {11,
       u".exe ファイルが無効です。Win32 の .exe ではないか、.exe イメージ内にエラーがあります。"},
      {26, u"共有違反が発生しました。"},
      {27, u"ファイル名の関連付けが不完全または無効です。"},
      {28, u"要求がタイムアウトしたので、DDE トランザクションを完了できませんでした。"},
      {29, u"DDE トランザクションが失敗しました。"},
      {30,
       u"ほかの DDE トランザクションが現在処理中なので、DDE トランザクションを完了できませんでし"
       u"た。"},
      {31,
       u"指定されたファイル拡張子に関連付けられたアプリケーションがありません。印刷可能ではないフ"
       u"ァイルを印刷しようとした場合も、このエラーが返ります。"},
      {32, u"指定されたダイナミックリンクライブラリ（DLL）が見つかりませんでした。"},
      {4, u""},  // a code without a text of its own
      {33, u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Shown(ShellOpenErrorText(c.code, "C:\\T\\a.doc")),
              u"実行エラーです\n" + c.reason + u"\nC:\\T\\a.doc")
        << c.code;
  }
  EXPECT_EQ(Shown(kTextSaveFailed), u"ファイルの保存に失敗しました。");
}

}  // namespace
}  // namespace postwink
