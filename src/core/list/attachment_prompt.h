#pragma once
// The texts of the attachment dialog: its question, the shell's open errors and the save
// failure.

#include <string>
#include <string_view>

namespace postwink {

// The last component of a path (after its last "\" or "/").
std::string FileNamePart(std::string_view path);

// The question the dialog asks about the extracted file, naming it without its folder.
std::string AttachmentQuestion(std::string_view path);

// The message shown when the shell cannot open the file: the result code's text (nothing for a
// code without one) between "実行エラーです" and the file's path.
std::string ShellOpenErrorText(int code, std::string_view path);

// "ファイルの保存に失敗しました。" (saving the file failed)
inline constexpr const char* kTextSaveFailed = "ファイルの保存に失敗しました。";

}  // namespace postwink
