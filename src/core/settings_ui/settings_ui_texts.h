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

}  // namespace postwink::texts
