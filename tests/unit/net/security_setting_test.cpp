#include "core/net/security_setting.h"

#include <gtest/gtest.h>

#include "core/net/net_address.h"
#include "core/net/net_texts.h"

namespace postwink {
namespace {

constexpr char kColons[] =
    "68:1B:B6:3C:52:C2:5C:88:28:6A:68:47:78:4C:72:A7:10:6D:2B:3C:13:4E:23:3A:F0:90:24:24:A1:E1:45:"
    "AA";

TEST(Fingerprint, ColonsCaseAndBlanksAreOptional) {
  std::optional<Sha256> parsed = ParseFingerprint(kColons);
  ASSERT_TRUE(parsed);
  EXPECT_EQ((*parsed)[0], 0x68);
  EXPECT_EQ((*parsed)[31], 0xAA);
  EXPECT_EQ(FormatFingerprint(*parsed), kColons);
  for (const char* same :
       {"681bb63c52c25c88286a6847784c72a7106d2b3c134e233af0902424a1e145aa",
        "68 1b b6 3c 52 c2 5c 88 28 6a 68 47 78 4c 72 a7 10 6d 2b 3c 13 4e 23 3a f0 90 24 24 a1 e1 "
        "45 aa"}) {
    EXPECT_EQ(ParseFingerprint(same), parsed) << same;
  }
  for (const char* bad :
       {"", "68:1B", "681bb63c52c25c88286a6847784c72a7106d2b3c134e233af0902424a1e145aa00",
        "681bb63c52c25c88286a6847784c72a7106d2b3c134e233af0902424a1e145ag",
        "SHA256 Fingerprint=68:1B"}) {
    EXPECT_FALSE(ParseFingerprint(bad)) << bad;
  }
}

TEST(SecuritySetting, ModesAndHandWrittenValues) {
  struct Case {
    int security;
    std::optional<std::string> fingerprint;
    SecurityMode mode;
    const char* error;
    bool pinned;
  };
  const Case cases[] = {
      {0, std::nullopt, SecurityMode::kNone, "", false},
      {1, std::nullopt, SecurityMode::kTls, "", false},
      {2, kColons, SecurityMode::kStls, "", true},
      {1, "  ", SecurityMode::kTls, "", false},  // blank counts as unset
      {1, "not hex", SecurityMode::kTls, texts::kFingerprintInvalid, false},
      // A fingerprint asks for TLS: on a plain connection the password would go in clear.
      {0, kColons, SecurityMode::kNone, texts::kFingerprintWithoutTls, true},
      {3, std::nullopt, SecurityMode::kNone, texts::kSecurityInvalid, false},
      {-1, std::nullopt, SecurityMode::kNone, texts::kSecurityInvalid, false},
  };
  for (const Case& c : cases) {
    Account account;
    account.security = c.security;
    account.tlsFingerprint = c.fingerprint;
    SecuritySetting setting = ReadSecuritySetting(account);
    EXPECT_EQ(setting.error, c.error) << c.security;
    if (setting.error.empty()) {
      EXPECT_EQ(setting.mode, c.mode) << c.security;
    }
    EXPECT_EQ(setting.pin.has_value(), c.pinned) << c.security;
  }
}

TEST(ServerNames, BracketsBlanksAndAddressLiterals) {
  EXPECT_EQ(ServerHostName(" [::1] "), "::1");
  EXPECT_EQ(ServerHostName("pop.example.com"), "pop.example.com");
  EXPECT_EQ(ServerHostName("[broken"), "[broken");
  for (const char* literal : {"127.0.0.1", "::1", "fe80::1%eth0", "10.1"}) {
    EXPECT_TRUE(IsAddressLiteral(literal)) << literal;
  }
  for (const char* name : {"localhost", "pop3.example.com", "1.example", ""}) {
    EXPECT_FALSE(IsAddressLiteral(name)) << name;
  }
}

}  // namespace
}  // namespace postwink
