// Secure connections against the test Dovecot (ssl = required, certificates of a test authority
// made by scripts/with-servers.sh) and the fault server: POP3S and STLS, the certificate checks,
// pinning, refusals, IPv6, and the pace a reply must keep.
#include <gtest/gtest.h>

#include <chrono>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/check/check_texts.h"
#include "core/net/net_texts.h"
#include "core/net/security_setting.h"
#include "core/pop3/pop3_texts.h"
#include "integration/harness.h"

namespace postwink::integration {
namespace {

namespace fs = std::filesystem;
using Commands = std::vector<std::string>;

constexpr int kPop3s = static_cast<int>(SecurityMode::kTls);
constexpr int kStls = static_cast<int>(SecurityMode::kStls);

bool SentCredentials(const Commands& commands) {
  for (const std::string& c : commands) {
    if (c.starts_with("USER") || c.starts_with("PASS") || c.starts_with("APOP")) return true;
  }
  return false;
}

class TlsDovecotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT("POSTWINK_TLS_PORT");
    stlsPort = std::atoi(Env("POSTWINK_TLS_PORT")->c_str());
    pop3sPort = std::atoi(Env("POSTWINK_TLS_POP3S_PORT")->c_str());
    plainPort = std::atoi(Env("POSTWINK_DOVECOT_PORT")->c_str());
    user = *Env("POSTWINK_DOVECOT_USER");
    password = *Env("POSTWINK_DOVECOT_PASS");
    maildir = fs::path(*Env("POSTWINK_DOVECOT_MAIL")) / user / "Maildir";
    // OpenSSL's default trust store, pointed at the test authority as a user would.
    ::setenv("SSL_CERT_FILE", Env("POSTWINK_TLS_CA")->c_str(), 1);
    logStart = fs::file_size(*Env("POSTWINK_DOVECOT_LOG"));
    ClearMaildir(maildir);
    DeliverMessage(maildir, "s1");
    DeliverMessage(maildir, "s2");
  }
  void TearDown() override {
    ::unsetenv("SSL_CERT_FILE");
    if (!maildir.empty()) ClearMaildir(maildir);
  }
  int PortFor(int security) const { return security == kPop3s ? pop3sPort : stlsPort; }
  Account& Add(Checker& checker, const std::string& host, int security) {
    Account& a = checker.AddAccount("tls", PortFor(security), user, password);
    a.server = host;
    a.security = security;
    return a;
  }
  // Dovecot's log lines of this test's connections to one local address.
  std::vector<std::string> DovecotLog(const std::string& localAddress) const {
    std::vector<std::string> lines;
    std::ifstream f(*Env("POSTWINK_DOVECOT_LOG"));
    f.seekg(static_cast<std::streamoff>(logStart));
    for (std::string line; std::getline(f, line);) {
      if (line.find("lip=" + localAddress + ",") != std::string::npos) lines.push_back(line);
    }
    return lines;
  }

  int stlsPort = 0, pop3sPort = 0, plainPort = 0;
  uintmax_t logStart = 0;
  std::string user, password;
  fs::path maildir;
};

TEST_F(TlsDovecotTest, Pop3sAndStlsFetchTheMailbox) {
  for (int security : {kPop3s, kStls}) {
    Checker checker;
    Add(checker, "127.0.0.2", security);
    checker.CheckNow();
    ASSERT_FALSE(checker.OutcomeOf(0).failed) << security << ": " << checker.OutcomeOf(0).error;
    // Dovecot lists PIPELINING: the LISTs go out together.
    Commands login = {"CAPA",   "USER " + user, "PASS ****", "STAT", "LIST 1",
                      "LIST 2", "RETR 1",       "RETR 2",    "UIDL", "QUIT"};
    if (security == kStls) login.insert(login.begin(), {"CAPA", "STLS"});
    EXPECT_EQ(checker.Commands("tls"), login) << security;
    ASSERT_EQ(checker.Engine().List().Size(), 2u);
    EXPECT_EQ(checker.Engine().List().At(1)->subject, "message s2");
    EXPECT_EQ(checker.LogText().find(password), std::string::npos);
  }
}

TEST_F(TlsDovecotTest, HostNamesAndIpv6MatchTheirCertificateNames) {
  std::vector<std::string> hosts = {"localhost"};
  if (Env("POSTWINK_TLS_IPV6").value_or("0") == "1") {
    hosts.push_back("::1");
    hosts.push_back("[::1]");
  }
  for (const std::string& host : hosts) {
    Checker checker;
    Add(checker, host, kPop3s);
    checker.CheckNow();
    EXPECT_FALSE(checker.OutcomeOf(0).failed) << host << ": " << checker.OutcomeOf(0).error;
    EXPECT_EQ(checker.Engine().List().Size(), 2u) << host;
  }
}

struct CertificateCase {
  const char* name;
  const char* host;
  const char* error;
};

class CertificateFailures : public TlsDovecotTest,
                            public ::testing::WithParamInterface<std::tuple<CertificateCase, int>> {
};

TEST_P(CertificateFailures, RefuseBeforeAnyCredentialIsSent) {
  const auto& [c, security] = GetParam();
  Checker checker;
  Account& account = Add(checker, c.host, security);
  account.apop = 1;  // neither APOP nor USER/PASS may go out
  checker.CheckNow();
  EXPECT_TRUE(checker.OutcomeOf(0).failed);
  EXPECT_EQ(checker.OutcomeOf(0).error, c.error);
  EXPECT_FALSE(SentCredentials(checker.Commands("tls")));
  EXPECT_TRUE(checker.Engine().List().Items().empty());
  for (const std::string& line : DovecotLog(c.host)) {
    EXPECT_EQ(line.find("user=<" + user), std::string::npos) << line;
    EXPECT_EQ(line.find("Login:"), std::string::npos) << line;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CertificateFailures,
    ::testing::Combine(
        ::testing::Values(CertificateCase{"untrusted", "127.0.0.3", texts::kCertUntrusted},
                          CertificateCase{"name_mismatch", "127.0.0.4", texts::kCertNameMismatch},
                          CertificateCase{"expired", "127.0.0.5", texts::kCertExpired}),
        ::testing::Values(kPop3s, kStls)),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) +
             (std::get<1>(info.param) == kPop3s ? "_pop3s" : "_stls");
    });

TEST_F(TlsDovecotTest, PinnedFingerprintAcceptsThatCertificateAndNoOther) {
  std::string pin = *Env("POSTWINK_TLS_SELF_SIGNED_SHA256");
  // Colons and case are optional.
  std::string bare;
  for (char c : pin) {
    if (c != ':') bare += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  for (const std::string& written : {pin, bare}) {
    Checker checker;
    Add(checker, "127.0.0.3", kPop3s).tlsFingerprint = written;
    checker.CheckNow();
    EXPECT_FALSE(checker.OutcomeOf(0).failed) << written << ": " << checker.OutcomeOf(0).error;
    EXPECT_EQ(checker.Engine().List().Size(), 2u);
  }
  // The trusted certificate of 127.0.0.2 is not the pinned one.
  Checker checker;
  Add(checker, "127.0.0.2", kStls).tlsFingerprint = pin;
  checker.CheckNow();
  EXPECT_EQ(checker.OutcomeOf(0).error, texts::kCertFingerprint);
  EXPECT_FALSE(SentCredentials(checker.Commands("tls")));
}

TEST_F(TlsDovecotTest, TlsToAPlainServerFailsAtOnceNotAtTheTimeout) {
  Settings settings = Checker::DefaultSettings();
  settings.svTimeout = 60;
  Checker checker(settings);
  Account& account = checker.AddAccount("tls", plainPort, user, password);
  account.security = kPop3s;
  checker.CheckNow();
  EXPECT_EQ(checker.OutcomeOf(0).error, texts::kTlsNotTls);
}

TEST_F(TlsDovecotTest, PlainLoginRefusedForWantOfTlsSaysToSwitch) {
  for (bool apop : {false, true}) {
    Checker checker;
    Account& account = Add(checker, "127.0.0.2", 0);
    if (apop) {
      account.apop = 1;
      account.user = *Env("POSTWINK_DOVECOT_APOP_USER");
      account.password = *Env("POSTWINK_DOVECOT_APOP_PASS");
    }
    checker.CheckNow();
    const std::string& error = checker.OutcomeOf(0).error;
    EXPECT_TRUE(error.starts_with(texts::kTlsRequired)) << apop << ": " << error;
    EXPECT_NE(error.find("-ERR"), std::string::npos) << error;
    EXPECT_EQ(checker.Commands("tls").back().substr(0, 4), apop ? "APOP" : "USER");
  }
}

class TlsFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT("POSTWINK_FAULT_PORT");
    port = std::atoi(Env("POSTWINK_FAULT_PORT")->c_str());
  }
  Outcome Run(const std::string& scenario, int security, Settings settings) {
    EXPECT_EQ(FaultControl(scenario), "OK") << scenario;
    Checker checker(settings);
    checker.AddAccount("fault", port, "fuser", "fpass").security = security;
    checker.CheckNow();
    transcript = FaultControl("TRANSCRIPT");
    return checker.OutcomeOf(0);
  }
  int port = 0;
  std::string transcript;
};

TEST_F(TlsFaultTest, StlsRefusedOrNotOfferedSendsNoCredentials) {
  struct Case {
    const char* scenario;
    std::string error;
  };
  const Case cases[] = {
      {R"({"capa": ["TOP", "STLS", "UIDL"], "stls": "refuse"})",
       std::string(texts::kStlsRefused) + "-ERR TLS not available today"},
      {R"({"capa": ["TOP", "UIDL", "PIPELINING"]})", texts::kStlsNotOffered},
      {R"({})", std::string(texts::kStlsRefused) + "-ERR unknown command"},
  };
  for (const Case& c : cases) {
    Outcome outcome = Run(c.scenario, kStls, Checker::DefaultSettings());
    EXPECT_TRUE(outcome.failed) << c.scenario;
    EXPECT_EQ(outcome.error, c.error) << c.scenario;
    for (const char* secret : {"USER", "PASS", "APOP", "fpass"}) {
      EXPECT_EQ(transcript.find(secret), std::string::npos) << c.scenario << transcript;
    }
  }
}

// A server that ends TLS (close_notify) and waits for ours: its close is the end of the
// connection, normal after QUIT and a disconnection before it, and it is taken at once.
TEST_F(TlsFaultTest, CloseNotifyIsTheServersClose) {
  auto fingerprint = Env("POSTWINK_TLS_SELF_SIGNED_SHA256");
  if (!fingerprint) GTEST_SKIP() << "no test certificates (Dovecot is not installed)";
  struct Case {
    const char* at;
    bool failed;
    std::string error;
  };
  const Case cases[] = {{"QUIT", false, ""}, {"STAT", true, texts::kDisconnected}};
  for (const Case& c : cases) {
    std::string scenario = R"({"capa": ["STLS", "UIDL"], "stls": "accept", "tls_close_at": ")" +
                           std::string(c.at) + R"("})";
    ASSERT_EQ(FaultControl(scenario), "OK");
    Checker checker;
    Account& account = checker.AddAccount("fault", port, "fuser", "fpass");
    account.security = kStls;
    account.tlsFingerprint = *fingerprint;
    auto start = std::chrono::steady_clock::now();
    checker.CheckNow();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << c.at;
    EXPECT_EQ(checker.OutcomeOf(0).failed, c.failed) << c.at;
    EXPECT_EQ(checker.OutcomeOf(0).error, c.error) << c.at;
    if (!c.failed) {
      EXPECT_EQ(checker.Engine().List().Size(), 3u);
    }
  }
}

TEST_F(TlsFaultTest, ATricklingServerCannotHoldTheCheckOpen) {
  // A byte every 0.3 s keeps the idle time-out from ever firing; the pace per reply does.
  Settings settings = Checker::DefaultSettings();
  settings.svTimeout = 2;
  Outcome outcome = Run(R"({"trickle_at": "RETR", "trickle_seconds": 0.3})", 0, settings);
  EXPECT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.error, texts::kTooSlow);
}

}  // namespace
}  // namespace postwink::integration
