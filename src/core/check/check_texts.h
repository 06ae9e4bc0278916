#pragma once
// Fixed message texts of the check controller, in code page 932. Each constant is preceded by
// the text it spells.

namespace postwink::texts {

// "送受信時にｴﾗｰが発生しました"
inline constexpr char kTransferError[] =
    "\x91\x97\x8E\xF3\x90M\x8E\x9E\x82\xC9\xB4\xD7\xB0\x82\xAA\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82"
    "\xB5\x82\xBD";
// "ｻｰﾊﾞから切断しました"
inline constexpr char kDisconnected[] =
    "\xBB\xB0\xCA\xDE\x82\xA9\x82\xE7\x90\xD8\x92"
    "f\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "ﾀｲﾑｱｳﾄしました"
inline constexpr char kTimedOut[] = "\xC0\xB2\xD1\xB1\xB3\xC4\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "メールチェック中...["
inline constexpr char kCheckingMail[] =
    "\x83\x81\x81[\x83\x8B\x83`\x83"
    "F\x83"
    "b\x83N\x92\x86...[";
// "Postwink 受信エラー！："
inline constexpr char kReceiveError[] =
    "Postwink \x8E\xF3\x90M\x83G\x83\x89\x81[\x81I\x81"
    "F";
// "ｴﾗｰ"
inline constexpr char kErrorCaption[] = "\xB4\xD7\xB0";
// "ｴﾗｰ - "
inline constexpr char kErrorCaptionPrefix[] = "\xB4\xD7\xB0 - ";

// "新着メール %d 通"
inline constexpr char kNewMailNoticeTitle[] = "\x90V\x92\x85\x83\x81\x81\x5B\x83\x8B %d \x92\xCA";
// "(件名なし)"
inline constexpr char kNoSubject[] = "(\x8C\x8F\x96\xBC\x82\xC8\x82\xB5)";

}  // namespace postwink::texts
