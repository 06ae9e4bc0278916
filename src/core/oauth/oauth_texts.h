#pragma once
// Fixed message texts of OAuth 2.0 sign-in. Each names what the user can do about it.

namespace postwink::texts {

inline constexpr char kOAuthNeedsTls[] =
    "OAuthのｻｲﾝｲﾝにはTLSが必要です\nｱｶｳﾝﾄの設定でTLSかSTLSを選んでください";
inline constexpr char kOAuthProviderInvalid[] =
    "OAUTHの値が正しくありません\n(microsoft, google, custom のどれか)";
inline constexpr char kOAuthNoClientId[] =
    "OAUTH_CLIENT_IDが設定されていません\nｱﾌﾟﾘの登録で得たｸﾗｲｱﾝﾄIDを入れてください";
inline constexpr char kOAuthNoEndpoints[] =
    "OAUTH_AUTH_URLとOAUTH_TOKEN_URLとOAUTH_SCOPEを設定してください";
inline constexpr char kOAuthNotSignedIn[] = "まだｻｲﾝｲﾝしていません\nｱｶｳﾝﾄの設定でｻｲﾝｲﾝしてください";
inline constexpr char kOAuthSignInAgain[] =
    "ｻｲﾝｲﾝの期限が切れたか取り消されました\nｱｶｳﾝﾄの設定でもう一度ｻｲﾝｲﾝしてください";
inline constexpr char kOAuthTokenRefused[] = "ｻｰﾊﾞがｱｸｾｽﾄｰｸﾝを受け付けませんでした\n\n";
inline constexpr char kOAuthNotOffered[] =
    "ｻｰﾊﾞがOAuthのｻｲﾝｲﾝ(XOAUTH2, OAUTHBEARER)に対応していません";
inline constexpr char kOAuthNoUser[] = "ﾕｰｻﾞ名(ﾒｰﾙｱﾄﾞﾚｽ)が設定されていません";
inline constexpr char kOAuthUnsendableToken[] = "ｱｸｾｽﾄｰｸﾝに使用できない文字が含まれています";
inline constexpr char kOAuthEndpointFailed[] = "ﾄｰｸﾝのｻｰﾊﾞに接続できませんでした\n\n";
inline constexpr char kOAuthEndpointError[] = "ﾄｰｸﾝのｻｰﾊﾞがｴﾗｰを返しました\n\n";
inline constexpr char kOAuthEndpointUnreadable[] = "ﾄｰｸﾝのｻｰﾊﾞの応答を読めませんでした";
inline constexpr char kOAuthEndpointTooLarge[] = "ﾄｰｸﾝのｻｰﾊﾞの応答が大きすぎます";
inline constexpr char kOAuthNoAccessToken[] = "ﾄｰｸﾝのｻｰﾊﾞの応答にｱｸｾｽﾄｰｸﾝがありません";
inline constexpr char kOAuthCommandFailed[] = "OAUTH_TOKEN_COMMANDが失敗しました\n\n";
inline constexpr char kOAuthCommandEmpty[] = "OAUTH_TOKEN_COMMANDがﾄｰｸﾝを出力しませんでした";
inline constexpr char kOAuthSignInDenied[] = "ｻｲﾝｲﾝが拒否されました\n\n";
inline constexpr char kOAuthSignInTimeout[] =
    "ｻｲﾝｲﾝが時間内に終わりませんでした\nもう一度ｻｲﾝｲﾝしてください";
inline constexpr char kOAuthStaleState[] =
    "ｻｲﾝｲﾝの応答がこの要求のものではありません(古いﾍﾟｰｼﾞからの応答です)\nもう一度ｻｲﾝｲﾝしてください";
inline constexpr char kOAuthNoCode[] = "ｻｲﾝｲﾝの応答に認可ｺｰﾄﾞがありません";
inline constexpr char kOAuthNoBrowser[] = "ﾌﾞﾗｳｻﾞを開けませんでした";
inline constexpr char kOAuthNoListener[] = "ｻｲﾝｲﾝの応答を受けるﾎﾟｰﾄを開けませんでした";
inline constexpr char kOAuthNoRandom[] = "乱数を得られませんでした";
inline constexpr char kOAuthStoreFailed[] = "ﾘﾌﾚｯｼｭﾄｰｸﾝを保存できませんでした";
inline constexpr char kOAuthWithCommand[] =
    "OAUTH_TOKEN_COMMANDが設定されているｱｶｳﾝﾄはｺﾏﾝﾄﾞがﾄｰｸﾝを出します";
inline constexpr char kOAuthBusy[] = "ほかのｻｲﾝｲﾝが進行中です";

}  // namespace postwink::texts
