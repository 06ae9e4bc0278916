// PKCE, the authorization address, the redirect and the token endpoint's answers.

#include <gtest/gtest.h>

#include <string>

#include "core/oauth/oauth_settings.h"
#include "core/oauth/oauth_texts.h"
#include "core/oauth/pkce.h"
#include "core/oauth/redirect_request.h"
#include "core/oauth/sha256.h"
#include "core/oauth/token_requests.h"
#include "core/oauth/token_response.h"
#include "unit/oauth/fake_oauth_platform.h"

namespace postwink {
namespace {

std::string Hex(const std::array<uint8_t, 32>& d) {
  static const char* kHex = "0123456789abcdef";
  std::string out;
  for (uint8_t b : d) {
    out.push_back(kHex[b >> 4]);
    out.push_back(kHex[b & 15]);
  }
  return out;
}

TEST(Pkce, Sha256AndTheChallengeOfRfc7636AppendixB) {
  EXPECT_EQ(Hex(Sha256("")), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Hex(Sha256("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // Two blocks of padding.
  EXPECT_EQ(Hex(Sha256(std::string(56, 'a'))),
            "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a");

  class AppendixB : public SecureRandom {
   public:
    bool Fill(std::span<uint8_t> bytes) override {
      static const uint8_t kOctets[32] = {116, 24,  223, 180, 151, 153, 224, 37,  79,  250, 96,
                                          125, 216, 173, 187, 186, 22,  212, 37,  77,  105, 214,
                                          191, 240, 91,  88,  5,   88,  83,  132, 141, 121};
      for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = kOctets[i % 32];
      return true;
    }
  } random;
  std::optional<PkcePair> pkce = MakePkce(random);
  ASSERT_TRUE(pkce);
  EXPECT_EQ(pkce->verifier, "dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk");
  EXPECT_EQ(pkce->challenge, "E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM");

  testing::FakeSecureRandom broken;
  broken.fails = true;
  EXPECT_FALSE(MakePkce(broken));
  EXPECT_FALSE(MakeState(broken));
}

TEST(Pkce, AuthorizationAddressEscapesEveryValue) {
  OAuthSettings s;
  s.authUrl = "https://login.example/authorize";
  s.clientId = "id&x";
  s.scope = "offline_access https://outlook.office.com/IMAP.AccessAsUser.All";
  s.user = "a+b@example.com";
  EXPECT_EQ(AuthorizationAddress(s, "http://127.0.0.1:5000/", "st", "ch"),
            "https://login.example/authorize?response_type=code&client_id=id%26x"
            "&redirect_uri=http%3A%2F%2F127.0.0.1%3A5000%2F"
            "&scope=offline_access%20https%3A%2F%2Foutlook.office.com%2FIMAP.AccessAsUser.All"
            "&state=st&code_challenge=ch&code_challenge_method=S256"
            "&login_hint=a%2Bb%40example.com");
  s.authUrl = "https://login.example/authorize?tenant=x";
  EXPECT_NE(AuthorizationAddress(s, "r", "s", "c").find("authorize?tenant=x&response_type=code&"),
            std::string::npos);
}

TEST(RedirectRequest, CodeStateAndErrors) {
  using Kind = RedirectResult::Kind;
  struct Case {
    const char* head;
    Kind kind;
    const char* code;
    const char* error;
  } cases[] = {
      {"GET /?code=abc%2F1&state=S1 HTTP/1.1\r\nHost: x\r\n\r\n", Kind::kCode, "abc/1", ""},
      {"GET /?state=S1&code=c+d HTTP/1.1\r\n", Kind::kCode, "c d", ""},
      {"GET /?error=access_denied&error_description=The+user+said+no&state=S1 HTTP/1.1\r\n",
       Kind::kDenied, "", "access_denied"},
      // An old page's redirect, or a forged one, is refused whatever it carries.
      {"GET /?code=abc&state=OLD HTTP/1.1\r\n", Kind::kStaleState, "", ""},
      {"GET /?code=abc HTTP/1.1\r\n", Kind::kStaleState, "", ""},
      {"GET /?code=abc&state=S1&state=S1 HTTP/1.1\r\n", Kind::kStaleState, "", ""},
      {"GET /?state=S1 HTTP/1.1\r\n", Kind::kNoCode, "", ""},
      {"GET /?state=S1&code= HTTP/1.1\r\n", Kind::kNoCode, "", ""},
      {"GET /?code=a&code=b&state=S1 HTTP/1.1\r\n", Kind::kNoCode, "", ""},
      {"GET /favicon.ico HTTP/1.1\r\n", Kind::kOther, "", ""},
      {"GET / HTTP/1.1\r\n", Kind::kOther, "", ""},
      {"POST /?code=a&state=S1 HTTP/1.1\r\n", Kind::kOther, "", ""},
      {"", Kind::kOther, "", ""},
      {"GET /?%zz=%&state=S1&code=%4", Kind::kCode, "%4", ""},
  };
  for (const Case& c : cases) {
    RedirectResult r = ParseRedirectRequest(c.head, "S1");
    EXPECT_EQ(r.kind, c.kind) << c.head;
    EXPECT_EQ(r.code, c.code) << c.head;
    EXPECT_EQ(r.error, c.error) << c.head;
  }
  // A sign-in without a state of its own takes no redirect at all.
  EXPECT_EQ(ParseRedirectRequest("GET /?code=a&state= HTTP/1.1\r\n", "").kind, Kind::kStaleState);
}

TEST(RedirectRequest, AnswerPageKeepsTheServersTextAsText) {
  RedirectResult denied;
  denied.kind = RedirectResult::Kind::kDenied;
  denied.error = "access_denied";
  denied.errorDescription = "<script>alert(1)</script>";
  std::string page = RedirectAnswerPage(denied);
  EXPECT_EQ(page.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
  EXPECT_EQ(page.find("<script>"), std::string::npos);
  EXPECT_NE(page.find("&lt;script&gt;"), std::string::npos);
  size_t body = page.find("\r\n\r\n") + 4;
  EXPECT_NE(page.find("Content-Length: " + std::to_string(page.size() - body)), std::string::npos);
  RedirectResult other;
  EXPECT_EQ(RedirectAnswerPage(other).rfind("HTTP/1.1 404", 0), 0u);
}

TEST(TokenResponse, ReadsMembersAndRefusesWhatIsNotOneObject) {
  std::optional<TokenResponse> r = ParseTokenResponse(
      R"({"token_type":"Bearer","scope":["a",{"b":null}],"expires_in":3599,)"
      R"("ext_expires_in":"3599","access_token":"eyJ0\u0041x","refresh_token":"M.R3_\/x",)"
      R"("nested":{"deep":[1,2,{"x":true}]},"id":-1.5e3})");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->accessToken, "eyJ0Ax");
  EXPECT_EQ(r->refreshToken, "M.R3_/x");
  EXPECT_EQ(r->expiresIn, 3599);
  EXPECT_EQ(ParseTokenResponse(R"({"expires_in":"60"})")->expiresIn, 60);
  EXPECT_FALSE(ParseTokenResponse(R"({"expires_in":-5})")->expiresIn);
  EXPECT_FALSE(ParseTokenResponse(R"({"expires_in":99999999999999999999})")->expiresIn);
  EXPECT_EQ(
      ParseTokenResponse(R"({"error":"invalid_grant","error_description":"AADSTS70008"})")->error,
      "invalid_grant");
  EXPECT_EQ(ParseTokenResponse(R"( { "status" : "invalid_token" } )")->status, "invalid_token");
  EXPECT_EQ(ParseTokenResponse(R"({"e":"\ud83d\ude00\ud800"})").has_value(), true);

  const char* bad[] = {
      "",
      "<html>502 Bad Gateway</html>",
      "[]",
      R"({"access_token":"a")",
      R"({"access_token":"a"} trailing)",
      R"({"access_token":"a
b"})",
      R"({"access_token":"\q"})",
      R"({"access_token":"\u12"})",
      R"({"a":tru})",
      R"({"a":1,})",
      R"({"access_token":)",
      R"({"access_token":"a","access_token)",
  };
  for (const char* text : bad) EXPECT_FALSE(ParseTokenResponse(text)) << text;
  // Nesting beyond any token answer's is refused rather than followed.
  std::string deep = "{\"a\":" + std::string(100, '[') + std::string(100, ']') + "}";
  EXPECT_FALSE(ParseTokenResponse(deep));
  std::string huge = R"({"access_token":")" + std::string(kMaxTokenResponseBytes, 'a') + "\"}";
  EXPECT_FALSE(ParseTokenResponse(huge));
}

TEST(TokenRequests, FormsAndTheReadingOfAnswers) {
  OAuthSettings s;
  s.clientId = "id";
  s.scope = "a b";
  EXPECT_EQ(RefreshForm(s, "r/1"),
            "grant_type=refresh_token&refresh_token=r%2F1&client_id=id"
            "&scope=a%20b");
  s.clientSecret = "sec";
  EXPECT_EQ(CodeForm(s, "c", "http://127.0.0.1:1/", "v"),
            "grant_type=authorization_code&code=c&redirect_uri=http%3A%2F%2F127.0.0.1%3A1%2F"
            "&code_verifier=v&client_id=id&client_secret=sec");
  EXPECT_EQ(DevicePollForm(s, "d"),
            "grant_type=urn%3Aietf%3Aparams%3Aoauth%3Agrant-type%3Adevice_code&device_code=d"
            "&client_id=id&client_secret=sec");

  struct Case {
    HttpsAnswer answer;
    bool ok;
    std::string error;  // the start of the message
    bool signInNeeded;
  } cases[] = {
      {{200, R"({"access_token":"t","expires_in":10,"refresh_token":"r"})"}, true, "", false},
      {{400, R"({"error":"invalid_grant","error_description":"revoked"})"},
       false,
       std::string(texts::kOAuthEndpointError) + "invalid_grant: revoked",
       true},
      {{401, R"({"error":"invalid_client"})"},
       false,
       std::string(texts::kOAuthEndpointError) + "invalid_client",
       false},
      {{200, "{not json"},
       false,
       std::string(texts::kOAuthEndpointUnreadable) + " (HTTP 200)",
       false},
      {{502, "<html>"}, false, std::string(texts::kOAuthEndpointUnreadable) + " (HTTP 502)", false},
      {{500, "{}"}, false, std::string(texts::kOAuthEndpointUnreadable) + " (HTTP 500)", false},
      {{200, R"({"token_type":"Bearer"})"}, false, texts::kOAuthNoAccessToken, false},
      {{200, R"({"access_token":"a\r\nDELE 1"})"}, false, texts::kOAuthUnsendableToken, false},
      {{200, R"({"access_token":"a b"})"}, false, texts::kOAuthUnsendableToken, false},
      {{200, "{}", true}, false, texts::kOAuthEndpointTooLarge, false},
      {{0, "", false, "timed out"},
       false,
       std::string(texts::kOAuthEndpointFailed) + "timed out",
       false},
  };
  for (const Case& c : cases) {
    TokenGrant g = ReadTokenAnswer(c.answer);
    EXPECT_EQ(g.ok, c.ok) << c.answer.body;
    EXPECT_EQ(g.error, c.error) << c.answer.body;
    EXPECT_EQ(g.signInNeeded, c.signInNeeded) << c.answer.body;
  }
  TokenGrant g = ReadTokenAnswer({200, R"({"access_token":"t","refresh_token":"r"})"});
  EXPECT_EQ(g.expiresIn, kDefaultExpiresInSeconds);
  EXPECT_EQ(g.refreshToken, "r");
  // A description that goes on and on is cut for the message box.
  TokenGrant longer = ReadTokenAnswer(
      {400, R"({"error":"x","error_description":")" + std::string(5000, 'd') + "\"}"});
  EXPECT_LT(longer.error.size(), 400u);
}

}  // namespace
}  // namespace postwink
