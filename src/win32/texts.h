#pragma once
// Fixed texts of the window side, as code page 932 bytes.

namespace postwink::win {

// "テンポラリファイル作成に失敗しました。" (creating the temporary file failed)
inline constexpr const char* kTextTempFolderFailed =
    "\x83\x65\x83\x93\x83|\x83\x89\x83\x8a\x83t\x83@"
    "\x83\x43\x83\x8b\x8d\xec\x90\xac\x82\xc9\x8e\xb8\x94s\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";
// "Postwink のﾊﾞｰｼﾞｮﾝ情報(&A)..." (system menu item: About Postwink)
inline constexpr const char* kTextAboutMenuItem =
    "Postwink \x82\xcc\xca\xde\xb0\xbc\xde\xae\xdd\x8f\xee\x95\xf1(&A)...";
inline constexpr const char* kTextProgramName = "Postwink";

}  // namespace postwink::win
