// The statuses SChannel answers with, played to the flow in the orders a server can cause: a
// request for a client certificate, a renegotiation that goes on over several records, one that
// the library cannot start, one that brings another certificate.
#include "win32/platform/schannel_flow.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace postwink::win {
namespace {

std::string Record(char type, const std::string& body) {
  return std::string{type, 3, 3, static_cast<char>(body.size() >> 8),
                     static_cast<char>(body.size() & 0xff)} +
         body;
}
const std::string kHandshake1 = Record(22, "server hello");
const std::string kHandshake2 = Record(22, "server finished");
const std::string kText = Record(23, "sealed text");
const std::string kHelloRequest = Record(22, "hello request");

// One answer of the context, in the order the calls are expected.
struct Answer {
  bool decrypt = false;  // DecryptMessage, else InitializeSecurityContext
  std::string input;     // what the call is expected to be given
  SECURITY_STATUS status = SEC_E_OK;
  size_t extra = 0;
  std::string produced;  // the token sent, or the text decrypted
};

struct ScriptedContext : SspiContext {
  std::deque<Answer> script;
  std::vector<ULONG> requests;
  std::vector<std::string> unexpected;

  Step Next(bool decrypt, std::string_view input, std::string& produced) {
    if (script.empty() || script.front().decrypt != decrypt || script.front().input != input) {
      unexpected.push_back((decrypt ? "Decrypt " : "Initialize ") + std::string(input));
      return {SEC_E_INTERNAL_ERROR, 0};
    }
    Answer a = script.front();
    script.pop_front();
    produced += a.produced;
    return {a.status, a.extra};
  }
  Step Initialize(ULONG request, std::string_view input, std::string& out) override {
    requests.push_back(request);
    return Next(false, input, out);
  }
  Step Decrypt(char* record, size_t size, std::string& plain) override {
    return Next(true, std::string_view(record, size), plain);
  }
};

constexpr ULONG kRequest = ISC_REQ_CONFIDENTIALITY | ISC_REQ_STREAM;

struct FlowRun {
  ScriptedContext sspi;
  bool goOn = true;  // the same certificate after a new handshake
  int asked = 0;
  SchannelFlow flow{sspi, kRequest, [this] {
                      ++asked;
                      return goOn;
                    }};
  std::string pending, out, plain;
  SchannelFlow::Outcome Feed(const std::string& bytes) {
    pending += bytes;
    return flow.Feed(pending, out, plain);
  }
  // The first handshake in one flight, and the certificate accepted.
  void Secure() {
    sspi.script.push_back({false, kHandshake1, SEC_E_OK, 0, ""});
    ASSERT_TRUE(Feed(kHandshake1).handshakeDone);
    flow.Secure();
  }
};

TEST(SchannelFlow, AnAskedForClientCertificateIsGoneWithoutOnce) {
  FlowRun run;
  run.sspi.script = {{false, kHandshake1, SEC_I_INCOMPLETE_CREDENTIALS, 0, ""},
                     {false, kHandshake1, SEC_I_CONTINUE_NEEDED, 0, "empty certificate"},
                     {false, kHandshake2, SEC_E_OK, 0, ""}};
  SchannelFlow::Outcome first = run.Feed(kHandshake1);
  EXPECT_EQ(first.failure, TlsFailure::kNone);
  EXPECT_FALSE(first.handshakeDone);
  EXPECT_EQ(run.out, "empty certificate");
  EXPECT_TRUE(run.Feed(kHandshake2).handshakeDone);
  EXPECT_TRUE(run.sspi.unexpected.empty()) << run.sspi.unexpected[0];
  ASSERT_EQ(run.sspi.requests.size(), 3u);
  EXPECT_EQ(run.sspi.requests[0], kRequest);
  EXPECT_EQ(run.sspi.requests[1], kRequest | ISC_REQ_USE_SUPPLIED_CREDS);
  EXPECT_EQ(run.sspi.requests[2], kRequest | ISC_REQ_USE_SUPPLIED_CREDS);

  // Asked again although none was offered: the context is stuck, and the handshake fails at once.
  FlowRun stuck;
  stuck.sspi.script = {{false, kHandshake1, SEC_I_INCOMPLETE_CREDENTIALS, 0, ""},
                       {false, kHandshake1, SEC_I_INCOMPLETE_CREDENTIALS, 0, ""}};
  EXPECT_EQ(stuck.Feed(kHandshake1).failure, TlsFailure::kHandshake);
  EXPECT_TRUE(stuck.sspi.unexpected.empty()) << stuck.sspi.unexpected[0];
}

TEST(SchannelFlow, ARenegotiationGoesOnOverRecordsAndTheTextAfterItIsRead) {
  FlowRun run;
  run.Secure();
  // The request's record comes back whole as EXTRA, for the new handshake to take with the
  // records that follow; its last answer leaves the next text record over.
  run.sspi.script = {{true, kHelloRequest, SEC_I_RENEGOTIATE, kHelloRequest.size(), ""},
                     {false, kHelloRequest, SEC_I_CONTINUE_NEEDED, 0, "client hello"},
                     {false, kHandshake2 + kText, SEC_E_OK, kText.size(), "client finished"},
                     {true, kText, SEC_E_OK, 0, "+OK after\r\n"}};
  run.pending = kHelloRequest;
  SchannelFlow::Outcome first = run.flow.Feed(run.pending, run.out, run.plain);
  EXPECT_EQ(first.failure, TlsFailure::kNone);
  EXPECT_FALSE(run.flow.Secured()) << "a renegotiation taken for finished";
  EXPECT_EQ(run.out, "client hello");
  SchannelFlow::Outcome second = run.Feed(kHandshake2 + kText);
  EXPECT_EQ(second.failure, TlsFailure::kNone);
  EXPECT_TRUE(run.sspi.unexpected.empty()) << run.sspi.unexpected[0];
  EXPECT_TRUE(run.sspi.script.empty());
  EXPECT_EQ(run.out, "client helloclient finished");
  EXPECT_EQ(run.plain, "+OK after\r\n");
  EXPECT_TRUE(run.flow.Secured());
  EXPECT_EQ(run.asked, 1);
}

TEST(SchannelFlow, ARenegotiationThatCannotBeCarriedOutEndsWithItsOwnFailure) {
  const struct {
    const char* name;
    std::vector<Answer> script;
    bool goOn;
  } cases[] = {
      // Wine's SChannel: the new handshake cannot start without a record from the server, which
      // waits for the client's hello.
      {"the library cannot start it",
       {{true, kHelloRequest, SEC_I_RENEGOTIATE, 0, ""},
        {false, "", SEC_E_INCOMPLETE_MESSAGE, 0, ""}},
       true},
      {"the library refuses it",
       {{true, kHelloRequest, SEC_I_RENEGOTIATE, 0, ""},
        {false, "", SEC_E_UNSUPPORTED_FUNCTION, 0, ""}},
       true},
      {"another certificate",
       {{true, kHelloRequest, SEC_I_RENEGOTIATE, 0, ""}, {false, "", SEC_E_OK, 0, ""}},
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FlowRun run;
    run.Secure();
    run.goOn = c.goOn;
    run.sspi.script.assign(c.script.begin(), c.script.end());
    SchannelFlow::Outcome outcome = run.Feed(kHelloRequest);
    EXPECT_EQ(outcome.failure, TlsFailure::kRenegotiation);
    EXPECT_TRUE(run.sspi.unexpected.empty()) << run.sspi.unexpected[0];
    EXPECT_TRUE(run.plain.empty());
  }
}

// A context that asks for a new handshake over and over and takes nothing: a failure, not a loop.
TEST(SchannelFlow, AContextThatKeepsAskingForANewHandshakeIsGivenUp) {
  FlowRun run;
  run.Secure();
  for (int i = 0; i < 100; ++i) {
    run.sspi.script.push_back({true, kHelloRequest, SEC_I_RENEGOTIATE, kHelloRequest.size(), ""});
    run.sspi.script.push_back({false, kHelloRequest, SEC_E_OK, kHelloRequest.size(), ""});
  }
  EXPECT_EQ(run.Feed(kHelloRequest).failure, TlsFailure::kRenegotiation);
  EXPECT_TRUE(run.sspi.unexpected.empty()) << run.sspi.unexpected[0];
  EXPECT_FALSE(run.sspi.script.empty());
}

}  // namespace
}  // namespace postwink::win
