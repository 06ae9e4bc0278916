#include "core/imap/modified_utf7.h"

#include <gtest/gtest.h>

#include <string>

namespace postwink {
namespace {

struct NameCase {
  const char* utf8;
  const char* wire;
};

// Both directions: the examples of RFC 3501 and the cases that trip encoders (a run at the end,
// "&" beside a run, characters outside the BMP that need a surrogate pair).
TEST(ModifiedUtf7, RoundTrips) {
  const NameCase cases[] = {
      {"INBOX", "INBOX"},
      {"", ""},
      {"Tom & Jerry", "Tom &- Jerry"},
      {"~peter/mail/\xE5\x8F\xB0\xE5\x8C\x97/\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",
       "~peter/mail/&U,BTFw-/&ZeVnLIqe-"},
      {"Entw\xC3\xBC"
       "rfe",
       "Entw&APw-rfe"},
      {"\xC3\xA9t\xC3\xA9", "&AOk-t&AOk-"},
      {"&\xC3\xA9", "&-&AOk-"},
      {"\xE3\x81\x82", "&MEI-"},
      {"\xF0\x9F\x98\x80 mail", "&2D3eAA- mail"},
      {"tab\there", "tab&AAk-here"},
  };
  for (const NameCase& c : cases) {
    EXPECT_EQ(EncodeModifiedUtf7(c.utf8), std::string(c.wire)) << c.utf8;
    EXPECT_EQ(DecodeModifiedUtf7(c.wire), std::string(c.utf8)) << c.wire;
  }
}

TEST(ModifiedUtf7, RefusesWhatHasNoSpelling) {
  for (const char* bad : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "a\xFF"}) {
    EXPECT_EQ(EncodeModifiedUtf7(bad), std::nullopt) << bad;
  }
  for (const char* bad : {"&AOk", "&-&", "&-&-x&", "&AOk/-", "&AOl-", "&AGE-", "&2D0-", "&3gA-",
                          "&-"
                          "\xC3\xA9",
                          "&&-"}) {
    EXPECT_EQ(DecodeModifiedUtf7(bad), std::nullopt) << bad;
  }
}

}  // namespace
}  // namespace postwink
