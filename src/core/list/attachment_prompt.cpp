#include "core/list/attachment_prompt.h"

#include <array>
#include <utility>

#include "core/text/utf8.h"

namespace postwink {
namespace {

// The texts of the shell's open errors: out of memory or resources,
// file not found, path not found, access denied, not enough memory, not a valid Win32 program,
// sharing violation, incomplete or invalid association, DDE time-out, DDE failed, DDE busy, no
// associated application, DLL not found.
constexpr std::array<std::pair<int, const char*>, 13> kShellErrors = {{
    {0, "メモリまたはリソースが不足しています。"},
    {2, "指定されたファイルが見つかりませんでした。"},
    {3, "指定されたパスが見つかりませんでした。"},
    {5, "オペレーティングシステムが、指定されたファイルへのアクセスを拒否しました。"},
    {8, "操作を完了するのに十分なメモリがありません。"},
    {11, ".exe ファイルが無効です。Win32 の .exe ではないか、.exe イメージ内にエラーがあります。"},
    {26, "共有違反が発生しました。"},
    {27, "ファイル名の関連付けが不完全または無効です。"},
    {28, "要求がタイムアウトしたので、DDE トランザクションを完了できませんでした。"},
    {29, "DDE トランザクションが失敗しました。"},
    {30,
     "ほかの DDE トランザクションが現在処理中なので、DDE トランザクションを完了できませんでした。"},
    {31,
     "指定されたファイル拡張子に関連付けられたアプリケーションがありません。印刷可能ではないファイ"
     "ルを印刷しようとした場合も、このエラーが返ります。"},
    {32, "指定されたダイナミックリンクライブラリ（DLL）が見つかりませんでした。"},
}};

}  // namespace

std::string FileNamePart(std::string_view path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); i += CharLength(path, i)) {
    if (path[i] == '\\' || path[i] == '/') start = i + 1;
  }
  return std::string(path.substr(start));
}

std::string AttachmentQuestion(std::string_view path) {
  // "ファイル (%s) を開きますか？\n名前を付けて保存しますか？"
  return "ファイル (" + FileNamePart(path) + ") を開きますか？\n名前を付けて保存しますか？";
}

std::string ShellOpenErrorText(int code, std::string_view path) {
  // "実行エラーです\n" (execution error)
  std::string text = "実行エラーです\n";
  for (const auto& [known, reason] : kShellErrors) {
    if (known == code) text += reason;
  }
  return text + "\n" + std::string(path);
}

}  // namespace postwink
