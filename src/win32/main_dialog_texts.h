#pragma once
// Fixed texts of the main window's commands.

namespace postwink::win {

// "メーラー起動に失敗しました(%d)" (starting the mail program failed)
inline constexpr const char* kTextMailerFailed = "メーラー起動に失敗しました(%d)";
// "ホットキーの設定に失敗しました。\n既に別のアプリケーションで使用している可能性があります\n"
// (setting the hot key failed; another application may already be using it)
inline constexpr const char* kTextHotKeyFailed =
    "ホットキーの設定に失敗しました。\n既に別のアプリケーションで使用している可能性があります\n";

}  // namespace postwink::win
