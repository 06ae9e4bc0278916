#pragma once
// Fixed message texts of the settings sheet and the filter editor. Each
// constant is preceded by the text it spells.

namespace postwink::texts {

// "項目設定が不十分です"
inline constexpr char kIncompleteAccount[] = "項目設定が不十分です";
// "アカウント数は 10 個までです。"
inline constexpr char kTooManyAccounts[] = "アカウント数は 10 個までです。";
// "この設定を削除します。よろしいですか？"
inline constexpr char kDeleteAccountQuestion[] = "この設定を削除します。よろしいですか？";
// "Windows の起動時の設定を変更できませんでした。"
inline constexpr char kRunEntryFailed[] = "Windows の起動時の設定を変更できませんでした。";
// The name of an account made in the settings sheet, with its number in the list.
inline constexpr char kNewMailboxName[] = "MAILBOX-%d";

// "整数を入力してください。"
inline constexpr char kIntegerRequired[] = "整数を入力してください。";
// "%d から %d までの整数を入力してください。"
inline constexpr char kIntegerRange[] = "%d から %d までの整数を入力してください。";

// "検索文字列が指定されていません。"
inline constexpr char kNoSearchString[] = "検索文字列が指定されていません。";
// "正規表現が正しくありません："
inline constexpr char kInvalidRegex[] = "正規表現が正しくありません：";
// "登録できる件数は %d までです。"
inline constexpr char kFilterLimit[] = "登録できる件数は %d までです。";
// "削除" (the display-control column of a SPAM rule)
inline constexpr char kFilterRowSpam[] = "削除";
// "非表示"
inline constexpr char kFilterRowHidden[] = "非表示";
// "特殊色"
inline constexpr char kFilterRowColours[] = "特殊色";

// The text beside the sign-in button.
// "パスワードでサインインします"
inline constexpr char kSignInByPassword[] = "パスワードでサインインします";
// "トークンはコマンドが出します"
inline constexpr char kSignInByCommand[] = "トークンはコマンドが出します";
// "ブラウザでサインイン中..."
inline constexpr char kSignInRunning[] = "ブラウザでサインイン中...";
// "サインイン済み"
inline constexpr char kSignInDone[] = "サインイン済み";
// "まだサインインしていません"
inline constexpr char kSignInNotYet[] = "まだサインインしていません";

}  // namespace postwink::texts
