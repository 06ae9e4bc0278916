// OAuth 2.0 against the real thing: the local authorization server and a Dovecot whose passdb
// oauth2 checks the tokens by introspection (scripts/with-servers.sh starts both). Sign-in through
// the browser flow (the browser is tests/integration/oauth_browser.py) and the device grant, the
// token command, refresh, revocation, and a hostile token endpoint.

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "core/oauth/oauth_texts.h"
#include "core/oauth/token_provider.h"
#include "integration/harness.h"
#include "posix/oauth_posix.h"

namespace postwink::integration {
namespace {

namespace fs = std::filesystem;

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.rfind(prefix, 0) == 0;
}

class OAuthTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Env("POSTWINK_OAUTH_URL")) GTEST_SKIP() << "run through scripts/with-servers.sh";
    // The mail connections and the token requests trust the test authority alike.
    ::setenv("SSL_CERT_FILE", Env("POSTWINK_TLS_CA")->c_str(), 1);
    dir_ = fs::temp_directory_path() /
           ("postwink-oauth-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    fs::create_directories(dir_);
    store_ = std::make_unique<FileRefreshTokenStore>((dir_ / "state" / "oauth").string());
    browser_ = std::make_unique<CommandBrowser>("python3 " POSTWINK_SOURCE_DIR
                                                "/tests/integration/oauth_browser.py " +
                                                *Env("POSTWINK_TLS_CA"));
    platform_ = std::make_unique<OAuthPlatform>(
        OAuthPlatform{https_, *store_, commands_, random_, &listener_, browser_.get()});
    tokens_ = std::make_unique<TokenProvider>(*platform_, PlatformSystem().clock);
    Control("reset=1");
    ClearMaildir(Maildir());
  }
  void TearDown() override {
    tokens_.reset();
    ::unsetenv("SSL_CERT_FILE");
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  static fs::path Maildir() {
    return fs::path(*Env("POSTWINK_DOVECOT_MAIL")) / *Env("POSTWINK_OAUTH_USER") / "Maildir";
  }
  // A request to the authorization server's control; its JSON answer.
  std::string Control(const std::string& form) {
    HttpsPost post;
    post.url = *Env("POSTWINK_OAUTH_CONTROL") + "/control";
    post.formBody = form;
    std::string body;
    https_.Post(post, [&body](HttpsAnswer a) { body = a.body; });
    return body;
  }
  static std::string Member(const std::string& json, const std::string& name) {
    size_t at = json.find("\"" + name + "\": \"");
    if (at == std::string::npos) return "";
    at += name.size() + 5;
    return json.substr(at, json.find('"', at) - at);
  }

  // An account of the OAuth Dovecot: POP3S or IMAPS on 127.0.0.2, the custom provider.
  Account& AddAccount(Checker& checker, const std::string& mailbox, bool imap) {
    int port =
        std::atoi(Env(imap ? "POSTWINK_OAUTH_IMAPS_PORT" : "POSTWINK_OAUTH_POP3S_PORT")->c_str());
    Account& a = checker.AddAccount(mailbox, port, *Env("POSTWINK_OAUTH_USER"), "");
    a.server = "127.0.0.2";
    a.security = 1;
    a.protocol = imap ? kProtocolImap : kProtocolPop3;
    a.oauth = Keys();
    return a;
  }
  static OAuthKeys Keys() {
    std::string url = *Env("POSTWINK_OAUTH_URL");
    OAuthKeys keys;
    keys.provider = "custom";
    keys.clientId = *Env("POSTWINK_OAUTH_CLIENT_ID");
    keys.authUrl = url + "/authorize";
    keys.tokenUrl = url + "/token";
    keys.scope = "mail";
    return keys;
  }
  static OAuthSettings OAuth() {
    AccountFields f;
    f.user = *Env("POSTWINK_OAUTH_USER");
    f.oauth = Keys();
    return *OAuthSettingsOf(f);
  }
  SignInOutcome SignIn() {
    std::optional<SignInOutcome> outcome;
    tokens_->BeginSignIn(
        OAuth(), [&outcome](SignInOutcome o) { outcome = o; }, 20000);
    if (!outcome) listener_.Serve();
    return outcome.value_or(SignInOutcome{false, "no outcome"});
  }
  std::unique_ptr<Checker> MakeChecker() {
    postwink::Settings settings = Checker::DefaultSettings();
    settings.log = 1;  // everything that may be logged is: the token still must not be
    auto checker = std::make_unique<Checker>(settings);
    checker->SetTokenProvider(tokens_.get());
    return checker;
  }
  static void ExpectAbsent(const std::string& text, const std::string& secret) {
    ASSERT_FALSE(secret.empty());
    EXPECT_EQ(text.find(secret), std::string::npos) << "found " << secret;
  }

  static inline int counter_ = 0;
  fs::path dir_;
  CurlHttpsClient https_;
  std::unique_ptr<FileRefreshTokenStore> store_;
  ShellCommandRunner commands_;
  DevRandom random_;
  PosixLoopbackListener listener_;
  std::unique_ptr<CommandBrowser> browser_;
  std::unique_ptr<OAuthPlatform> platform_;
  std::unique_ptr<TokenProvider> tokens_;
};

TEST_F(OAuthTest, TokenCommandSignsInOverPop3AndImap) {
  DeliverMessage(Maildir(), "oauth-cmd");
  std::string token = Member(Control("issue=" + *Env("POSTWINK_OAUTH_USER")), "access_token");
  std::ofstream(dir_ / "token") << token << "\n";
  auto checker = MakeChecker();
  for (bool imap : {false, true}) {
    Account& a = AddAccount(*checker, imap ? "imap" : "pop3", imap);
    a.oauth = {};
    a.oauth.tokenCommand = "cat '" + (dir_ / "token").string() + "'";
  }
  checker->CheckNow(30);
  for (int i = 0; i < 2; ++i) {
    EXPECT_FALSE(checker->OutcomeOf(i).failed) << i << ": " << checker->OutcomeOf(i).error;
    EXPECT_EQ(checker->AccountAt(i).items.size(), 1u) << i;
  }
  std::string log = checker->LogText();
  EXPECT_NE(log.find("AUTH OAUTHBEARER ****"), std::string::npos) << log;
  EXPECT_NE(log.find("AUTHENTICATE OAUTHBEARER ****"), std::string::npos) << log;
  ExpectAbsent(log, token);
}

TEST_F(OAuthTest, BrowserSignInStoresARefreshTokenOnlyTheUserCanReadAndRefreshes) {
  DeliverMessage(Maildir(), "oauth-browser");
  SignInOutcome outcome = SignIn();
  ASSERT_TRUE(outcome.ok) << outcome.error;
  std::string path = store_->PathFor(TokenStoreKey(OAuth()));
  struct stat file {};
  struct stat folder {};
  ASSERT_EQ(::stat(path.c_str(), &file), 0);
  ASSERT_EQ(::stat((dir_ / "state" / "oauth").c_str(), &folder), 0);
  EXPECT_EQ(file.st_mode & 0777, 0600u);
  EXPECT_EQ(folder.st_mode & 0777, 0700u);
  std::string refresh = *store_->Load(TokenStoreKey(OAuth()));
  EXPECT_TRUE(StartsWith(refresh, "rt-")) << refresh;

  auto checker = MakeChecker();
  AddAccount(*checker, "pop3", false);
  AddAccount(*checker, "imap", true);
  checker->CheckNow(30);
  for (int i = 0; i < 2; ++i) {
    EXPECT_FALSE(checker->OutcomeOf(i).failed) << checker->OutcomeOf(i).error;
  }
  ExpectAbsent(checker->LogText(), refresh);

  // A later run knows no access token: the stored refresh token gets one (and is replaced).
  tokens_ = std::make_unique<TokenProvider>(*platform_, PlatformSystem().clock);
  auto later = MakeChecker();
  AddAccount(*later, "pop3", false);
  later->CheckNow(30);
  EXPECT_FALSE(later->OutcomeOf(0).failed) << later->OutcomeOf(0).error;
  EXPECT_NE(*store_->Load(TokenStoreKey(OAuth())), refresh);
}

TEST_F(OAuthTest, RevokedRefreshTokenAsksToSignInAgainAndSendsNothing) {
  ASSERT_TRUE(SignIn().ok);
  Control("revoke=" + *Env("POSTWINK_OAUTH_USER"));
  tokens_ = std::make_unique<TokenProvider>(*platform_, PlatformSystem().clock);
  auto checker = MakeChecker();
  AddAccount(*checker, "pop3", false);
  checker->CheckNow(30);
  const Outcome& o = checker->OutcomeOf(0);
  EXPECT_TRUE(o.failed);
  EXPECT_TRUE(StartsWith(o.error, texts::kOAuthSignInAgain)) << o.error;
  EXPECT_EQ(o.error.find("ﾊﾟｽﾜｰﾄﾞ"), std::string::npos) << o.error;
  EXPECT_EQ(checker->LogText().find("connect..."), std::string::npos);
  EXPECT_FALSE(store_->Load(TokenStoreKey(OAuth())));
}

TEST_F(OAuthTest, AWrongTokenIsRefusedWithTheServersStatus) {
  std::ofstream(dir_ / "token") << "at-not-a-token-the-server-knows\n";
  auto checker = MakeChecker();
  for (bool imap : {false, true}) {
    Account& a = AddAccount(*checker, imap ? "imap" : "pop3", imap);
    a.oauth = {};
    a.oauth.tokenCommand = "cat '" + (dir_ / "token").string() + "'";
  }
  checker->CheckNow(40);
  for (int i = 0; i < 2; ++i) {
    const Outcome& o = checker->OutcomeOf(i);
    EXPECT_TRUE(o.failed) << i;
    EXPECT_TRUE(StartsWith(o.error, std::string(texts::kOAuthTokenRefused) + "(invalid_token)"))
        << o.error;
  }
  ExpectAbsent(checker->LogText(), "at-not-a-token-the-server-knows");
}

TEST_F(OAuthTest, RefusedConsentStaleStateAndMissingCodeEndTheSignIn) {
  struct Case {
    const char* control;
    std::string error;
  } cases[] = {
      {"consent=deny",
       std::string(texts::kOAuthSignInDenied) + "access_denied: The user refused consent"},
      {"redirect=stale", texts::kOAuthStaleState},
      {"redirect=nocode", texts::kOAuthNoCode},
  };
  for (const Case& c : cases) {
    Control(std::string("reset=1&") + c.control);
    SignInOutcome outcome = SignIn();
    EXPECT_FALSE(outcome.ok) << c.control;
    EXPECT_EQ(outcome.error, c.error) << c.control;
    EXPECT_FALSE(store_->Load(TokenStoreKey(OAuth()))) << c.control;
  }
}

TEST_F(OAuthTest, PlainTextIsRefusedBeforeAnyConnection) {
  std::ofstream(dir_ / "token") << "at-secret\n";
  auto checker = MakeChecker();
  Account& a = checker->AddAccount("plain", std::atoi(Env("POSTWINK_DOVECOT_PORT")->c_str()),
                                   *Env("POSTWINK_OAUTH_USER"), "");
  a.oauth.tokenCommand = "cat '" + (dir_ / "token").string() + "'";
  checker->CheckNow(30);
  EXPECT_EQ(checker->OutcomeOf(0).error, texts::kOAuthNeedsTls);
  EXPECT_EQ(checker->LogText().find("connect..."), std::string::npos);
  EXPECT_EQ(checker->LogText().find("AUTH"), std::string::npos);
}

TEST_F(OAuthTest, HostileTokenEndpointIsReadWithABoundAndAnsweredClearly) {
  ASSERT_TRUE(SignIn().ok);
  tokens_->SetRequestTimeoutMs(2000);
  struct Case {
    const char* mode;
    std::string error;  // the start of the message
  } cases[] = {
      {"malformed", std::string(texts::kOAuthEndpointUnreadable) + " (HTTP 200)"},
      {"huge", texts::kOAuthEndpointTooLarge},
      {"error500", std::string(texts::kOAuthEndpointUnreadable) + " (HTTP 500)"},
      {"slow", texts::kOAuthEndpointFailed},
  };
  for (const Case& c : cases) {
    Control(std::string("mode=") + c.mode);
    tokens_->Refused(OAuth());  // no access token in memory: a refresh is due
    auto started = std::chrono::steady_clock::now();
    TokenAnswer answer = tokens_->AccessToken(OAuth());
    auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(answer.state, TokenState::kFailed) << c.mode;
    EXPECT_FALSE(answer.signInNeeded) << c.mode;
    EXPECT_TRUE(StartsWith(answer.error, c.error)) << c.mode << ": " << answer.error;
    EXPECT_LT(took, std::chrono::seconds(5)) << c.mode;
    // The refresh token survives an endpoint's bad day.
    EXPECT_TRUE(store_->Load(TokenStoreKey(OAuth()))) << c.mode;
  }
}

// postwink-cli: the device grant prints the address and the code, the browser flow runs the
// browser command; "check" then signs in with the stored refresh token.
TEST_F(OAuthTest, CliDeviceGrantThenCheck) {
  DeliverMessage(Maildir(), "oauth-cli");
  std::string ini = (dir_ / "Postwink.ini").string();
  OAuthKeys k = Keys();
  std::ofstream(ini) << "[SERVER1]\r\nMAILBOX=cli\r\nPOP3=127.0.0.2\r\nPORT="
                     << *Env("POSTWINK_OAUTH_POP3S_PORT")
                     << "\r\nUSER=" << *Env("POSTWINK_OAUTH_USER")
                     << "\r\nENABLE=1\r\nSECURITY=1\r\n"
                     << "OAUTH=custom\r\nOAUTH_CLIENT_ID=" << k.clientId
                     << "\r\nOAUTH_AUTH_URL=" << k.authUrl << "\r\nOAUTH_TOKEN_URL=" << k.tokenUrl
                     << "\r\nOAUTH_SCOPE=mail\r\n";
  std::string env = "XDG_STATE_HOME='" + (dir_ / "xdg").string() + "' ";
  std::string command = env + POSTWINK_CLI " sign-in --ini '" + ini +
                        "' --account 1 --timeout 20 --device-url " + *Env("POSTWINK_OAUTH_URL") +
                        "/device";
  FILE* cli = ::popen(command.c_str(), "r");
  ASSERT_NE(cli, nullptr);
  char line[512] = "";
  ASSERT_NE(std::fgets(line, sizeof line, cli), nullptr);
  std::string prompt = line;
  EXPECT_NE(prompt.find("/device"), std::string::npos) << prompt;
  std::string code = prompt.substr(prompt.rfind(' ') + 1);
  while (!code.empty() && (code.back() == '\n' || code.back() == '\r')) code.pop_back();
  Control("approve=" + code + "&user=" + *Env("POSTWINK_OAUTH_USER"));
  std::string rest;
  while (std::fgets(line, sizeof line, cli)) rest += line;
  EXPECT_EQ(::pclose(cli), 0) << rest;
  EXPECT_EQ(rest, "signed in\n");
  bool stored = false;
  for (const auto& e : fs::recursive_directory_iterator(dir_ / "xdg")) {
    if (e.path().extension() != ".token") continue;
    stored = true;
    EXPECT_EQ(fs::status(e.path()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
  }
  EXPECT_TRUE(stored);

  // The browser flow of the command line replaces the stored sign-in.
  std::string browser = "python3 " POSTWINK_SOURCE_DIR "/tests/integration/oauth_browser.py " +
                        *Env("POSTWINK_TLS_CA");
  FILE* signIn = ::popen((env + POSTWINK_CLI " sign-in --ini '" + ini +
                          "' --account 1 --timeout 20 --browser '" + browser + "'")
                             .c_str(),
                         "r");
  ASSERT_NE(signIn, nullptr);
  rest.clear();
  while (std::fgets(line, sizeof line, signIn)) rest += line;
  EXPECT_EQ(::pclose(signIn), 0) << rest;
  EXPECT_EQ(rest, "signed in\n");

  FILE* check = ::popen((env + POSTWINK_CLI " check --ini '" + ini + "'").c_str(), "r");
  ASSERT_NE(check, nullptr);
  std::string out;
  while (std::fgets(line, sizeof line, check)) out += line;
  EXPECT_EQ(::pclose(check), 0) << out;
  EXPECT_TRUE(StartsWith(out, "cli: ok")) << out;
  EXPECT_NE(out.find("message oauth-cli"), std::string::npos) << out;
}

}  // namespace
}  // namespace postwink::integration
