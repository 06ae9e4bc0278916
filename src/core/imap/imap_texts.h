#pragma once
// Fixed message texts of the IMAP session.

namespace postwink::texts {

// "ﾌｫﾙﾀﾞを開けませんでした: "
inline constexpr char kImapFolderMissing[] = "ﾌｫﾙﾀﾞを開けませんでした: ";
// "ﾌｫﾙﾀﾞ名が正しくありません: "
inline constexpr char kImapFolderName[] = "ﾌｫﾙﾀﾞ名が正しくありません: ";
// "ｻｰﾊﾞが接続を終了しました\n\n"
inline constexpr char kImapServerBye[] = "ｻｰﾊﾞが接続を終了しました\n\n";
// "ｻｰﾊﾞがSTARTTLSに対応していません"
inline constexpr char kImapStartTlsNotOffered[] = "ｻｰﾊﾞがSTARTTLSに対応していません";
// "STARTTLS が受け付けられませんでした\n\n"
inline constexpr char kImapStartTlsRefused[] = "STARTTLS が受け付けられませんでした\n\n";
// "ｺﾏﾝﾄﾞが受け付けられませんでした\n\n"
inline constexpr char kImapCommandRejected[] = "ｺﾏﾝﾄﾞが受け付けられませんでした\n\n";
// "ｻｰﾊﾞが対応しているﾛｸﾞｲﾝ方法がありません"
inline constexpr char kImapNoLoginMethod[] = "ｻｰﾊﾞが対応しているﾛｸﾞｲﾝ方法がありません";
// "PROTOCOLの値が正しくありません\n(0:POP3 1:IMAP)"
inline constexpr char kProtocolInvalid[] = "PROTOCOLの値が正しくありません\n(0:POP3 1:IMAP)";

// "ﾒｰﾙがｻｰﾊﾞにありません(削除されたか移動されました)"
inline constexpr char kImapMessageGone[] = "ﾒｰﾙがｻｰﾊﾞにありません(削除されたか移動されました)";
// "ﾌｫﾙﾀﾞが作り直されたため、ﾒｰﾙを取得できません(UIDVALIDITYが変わりました)"
inline constexpr char kImapFolderRenumbered[] =
    "ﾌｫﾙﾀﾞが作り直されたため、ﾒｰﾙを取得できません(UIDVALIDITYが変わりました)";
// "添付ﾌｧｲﾙが大きすぎます: "
inline constexpr char kImapPartTooLarge[] = "添付ﾌｧｲﾙが大きすぎます: ";

}  // namespace postwink::texts
