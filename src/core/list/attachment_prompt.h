#pragma once
// The texts of the attachment dialog: its question, the shell's open errors and the save
// failure.

#include <string>
#include <string_view>

namespace postwink {

// The last component of a path (after its last "\" or "/", double-byte characters kept whole).
std::string FileNamePart(std::string_view path);

// The question the dialog asks about the extracted file, naming it without its folder.
std::string AttachmentQuestion(std::string_view path);

// The message shown when the shell cannot open the file: the result code's text (nothing for a
// code without one) between "実行エラーです" and the file's path.
std::string ShellOpenErrorText(int code, std::string_view path);

// "ファイルの保存に失敗しました。" (saving the file failed)
inline constexpr const char* kTextSaveFailed =
    "\x83t\x83@"
    "\x83\x43\x83\x8b\x82\xcc\x95\xdb\x91\xb6\x82\xc9\x8e\xb8\x94s\x82\xb5\x82\xdc\x82\xb5\x82\xbd"
    "\x81\x42";

}  // namespace postwink
