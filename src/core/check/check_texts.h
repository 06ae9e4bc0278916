#pragma once
// Fixed message texts of the check controller. Each constant is preceded by
// the text it spells.

namespace postwink::texts {

// "送受信時にｴﾗｰが発生しました"
inline constexpr char kTransferError[] = "送受信時にｴﾗｰが発生しました";
// "ｻｰﾊﾞから切断しました"
inline constexpr char kDisconnected[] = "ｻｰﾊﾞから切断しました";
// "ﾀｲﾑｱｳﾄしました"
inline constexpr char kTimedOut[] = "ﾀｲﾑｱｳﾄしました";
// "メールチェック中...["
inline constexpr char kCheckingMail[] = "メールチェック中...[";
// "Postwink 受信エラー！："
inline constexpr char kReceiveError[] = "Postwink 受信エラー！：";
// "ｴﾗｰ"
inline constexpr char kErrorCaption[] = "ｴﾗｰ";
// "ｴﾗｰ - "
inline constexpr char kErrorCaptionPrefix[] = "ｴﾗｰ - ";

}  // namespace postwink::texts
