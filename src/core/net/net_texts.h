#pragma once
// Fixed message texts of secure connections. Each constant is preceded by the
// text it spells.

namespace postwink::texts {

// "SECURITYの値が正しくありません\n(0:なし 1:TLS 2:STLS)"
inline constexpr char kSecurityInvalid[] = "SECURITYの値が正しくありません\n(0:なし 1:TLS 2:STLS)";
// "TLS_FINGERPRINTの値が正しくありません\nSHA-256の指紋を16進数64桁で書いてください"
inline constexpr char kFingerprintInvalid[] =
    "TLS_FINGERPRINTの値が正しくありません\nSHA-256の指紋を16進数64桁で書いてください";
// "TLSを開始できませんでした"
inline constexpr char kTlsUnavailable[] = "TLSを開始できませんでした";
// "TLSのﾊﾝﾄﾞｼｪｲｸに失敗しました"
inline constexpr char kTlsHandshakeFailed[] = "TLSのﾊﾝﾄﾞｼｪｲｸに失敗しました";
// "ｻｰﾊﾞがTLSで応答しません\nﾎﾟｰﾄ番号とTLSの設定を確認してください"
inline constexpr char kTlsNotTls[] =
    "ｻｰﾊﾞがTLSで応答しません\nﾎﾟｰﾄ番号とTLSの設定を確認してください";
// "ｻｰﾊﾞがTLSの再ﾈｺﾞｼｴｰｼｮﾝを求めましたが、続けられませんでした"
inline constexpr char kTlsRenegotiation[] =
    "ｻｰﾊﾞがTLSの再ﾈｺﾞｼｴｰｼｮﾝを求めましたが、続けられませんでした";
// "ｻｰﾊﾞ証明書が信頼できません\n(信頼された認証局の署名がありません)"
inline constexpr char kCertUntrusted[] =
    "ｻｰﾊﾞ証明書が信頼できません\n(信頼された認証局の署名がありません)";
// "ｻｰﾊﾞ証明書の名前がｻｰﾊﾞ名と一致しません"
inline constexpr char kCertNameMismatch[] = "ｻｰﾊﾞ証明書の名前がｻｰﾊﾞ名と一致しません";
// "ｻｰﾊﾞ証明書の有効期限が切れています"
inline constexpr char kCertExpired[] = "ｻｰﾊﾞ証明書の有効期限が切れています";
// "ｻｰﾊﾞ証明書の指紋がTLS_FINGERPRINTと一致しません"
inline constexpr char kCertFingerprint[] = "ｻｰﾊﾞ証明書の指紋がTLS_FINGERPRINTと一致しません";
// "ｻｰﾊﾞがSTLSに対応していません"
inline constexpr char kStlsNotOffered[] = "ｻｰﾊﾞがSTLSに対応していません";
// "STLS が受け付けられませんでした\n\n"
inline constexpr char kStlsRefused[] = "STLS が受け付けられませんでした\n\n";
// "ｻｰﾊﾞがTLSでの接続を求めています\nｱｶｳﾝﾄの設定でTLSを選んでください\n\n"
inline constexpr char kTlsRequired[] =
    "ｻｰﾊﾞがTLSでの接続を求めています\nｱｶｳﾝﾄの設定でTLSを選んでください\n\n";
// "TLS_FINGERPRINTを使うにはｱｶｳﾝﾄの設定でTLSを選んでください"
inline constexpr char kFingerprintWithoutTls[] =
    "TLS_FINGERPRINTを使うにはｱｶｳﾝﾄの設定でTLSを選んでください";
// "ﾀｲﾑｱｳﾄしました\nｻｰﾊﾞの応答が遅すぎます"
inline constexpr char kTooSlow[] = "ﾀｲﾑｱｳﾄしました\nｻｰﾊﾞの応答が遅すぎます";
// "ﾀｲﾑｱｳﾄしました\nﾎﾟｰﾄ995ではｱｶｳﾝﾄの設定でTLSを選んでください"
inline constexpr char kPlainOnTlsPort[] =
    "ﾀｲﾑｱｳﾄしました\nﾎﾟｰﾄ995ではｱｶｳﾝﾄの設定でTLSを選んでください";

}  // namespace postwink::texts
