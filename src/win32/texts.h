#pragma once
// Fixed texts of the window side.

namespace postwink::win {

// "テンポラリファイル作成に失敗しました。" (creating the temporary file failed)
inline constexpr const char* kTextTempFolderFailed = "テンポラリファイル作成に失敗しました。";
// "Postwink のﾊﾞｰｼﾞｮﾝ情報(&A)..." (system menu item: About Postwink)
inline constexpr const char* kTextAboutMenuItem = "Postwink のﾊﾞｰｼﾞｮﾝ情報(&A)...";
inline constexpr const char* kTextProgramName = "Postwink";

}  // namespace postwink::win
