#pragma once
// Fixed message texts of the transport and the POP3 session. Each constant is
// preceded by the text it spells.

namespace postwink::texts {

// "ｻｰﾊﾞ名が設定されていません"
inline constexpr char kNoServerName[] = "ｻｰﾊﾞ名が設定されていません";
// "IPｱﾄﾞﾚｽ取得に失敗しました\nｻｰﾊﾞ名を確認してください"
inline constexpr char kResolveFailed[] = "IPｱﾄﾞﾚｽ取得に失敗しました\nｻｰﾊﾞ名を確認してください";
// "ｿｹｯﾄ作成に失敗しました"
inline constexpr char kSocketFailed[] = "ｿｹｯﾄ作成に失敗しました";
// "ｲﾍﾞﾝﾄ設定に失敗しました"
inline constexpr char kEventSetupFailed[] = "ｲﾍﾞﾝﾄ設定に失敗しました";
// "ｻｰﾊﾞ接続に失敗しました"
inline constexpr char kConnectFailed[] = "ｻｰﾊﾞ接続に失敗しました";
// "ﾒﾓﾘ確保に失敗しました"
inline constexpr char kOutOfMemory[] = "ﾒﾓﾘ確保に失敗しました";
// "ﾚｽﾎﾟﾝｽが解析できませんでした\n\n"
inline constexpr char kBadGreeting[] = "ﾚｽﾎﾟﾝｽが解析できませんでした\n\n";
// "ﾕｰｻﾞ名が設定されていません"
inline constexpr char kNoUserName[] = "ﾕｰｻﾞ名が設定されていません";
// "ﾊﾟｽﾜｰﾄﾞが設定されていません"
inline constexpr char kNoPassword[] = "ﾊﾟｽﾜｰﾄﾞが設定されていません";
// "APOPに対応していないｻｰﾊﾞです"
inline constexpr char kNoApop[] = "APOPに対応していないｻｰﾊﾞです";
// "ｱｶｳﾝﾄが受け付けられませんでした\n\n"
inline constexpr char kUserRejected[] = "ｱｶｳﾝﾄが受け付けられませんでした\n\n";
// "ﾕｰｻﾞ名かﾊﾟｽﾜｰﾄﾞが間違っています\n\n"
inline constexpr char kAuthRejected[] = "ﾕｰｻﾞ名かﾊﾟｽﾜｰﾄﾞが間違っています\n\n";
// "STAT が受け付けられませんでした\n\n"
inline constexpr char kStatRejected[] = "STAT が受け付けられませんでした\n\n";
// "RETR が受け付けられませんでした\n\n"
inline constexpr char kRetrRejected[] = "RETR が受け付けられませんでした\n\n";
// "Message-Idを取得出来ませんでした"
inline constexpr char kNoMessageId[] = "Message-Idを取得出来ませんでした";
// "送信に失敗しました"
inline constexpr char kSendFailed[] = "送信に失敗しました";

}  // namespace postwink::texts
