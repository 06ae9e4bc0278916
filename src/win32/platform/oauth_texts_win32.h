#pragma once
// Why a request to the token endpoint or the token command failed, as the Windows side tells
// it; the sign-in puts its own first line (which of the two) before it. Each constant is
// preceded by the text it spells.

namespace postwink::texts {

// "ｱﾄﾞﾚｽが正しくありません(https://で始まるｱﾄﾞﾚｽを書いてください)"
inline constexpr char kHttpsAddressInvalid[] =
    "ｱﾄﾞﾚｽが正しくありません(https://で始まるｱﾄﾞﾚｽを書いてください)";
// "ｻｰﾊﾞが見つからないか接続を拒否しました"
inline constexpr char kHttpsUnreachable[] = "ｻｰﾊﾞが見つからないか接続を拒否しました";
// "通信が途中で切れました"
inline constexpr char kHttpsBroken[] = "通信が途中で切れました";
// "ｺﾏﾝﾄﾞを開始できませんでした"
inline constexpr char kCommandNotStarted[] = "ｺﾏﾝﾄﾞを開始できませんでした";
// "ｺﾏﾝﾄﾞが時間内に終わりませんでした"
inline constexpr char kCommandTimedOut[] = "ｺﾏﾝﾄﾞが時間内に終わりませんでした";
// "ｺﾏﾝﾄﾞの出力が長すぎます"
inline constexpr char kCommandTooLong[] = "ｺﾏﾝﾄﾞの出力が長すぎます";
// "終了ｺｰﾄﾞ "
inline constexpr char kCommandExitCode[] = "終了ｺｰﾄﾞ ";

}  // namespace postwink::texts
