#include "core/update/update_file.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

TEST(UpdateFile, ParseVersion) {
  struct Case {
    std::string_view text;
    Version expected;
  } cases[] = {
      {"1.2.5.0", {1, 2, 5, 0}},      {"1,2,5,0", {1, 2, 5, 0}},
      {"1.3", {1, 3, 0, 0}},          {"1, 2, 5, 7 beta", {1, 2, 5, 7}},
      {"1..2...3.4", {1, 2, 3, 4}},  // runs of separators count as one
      {".1.2", {1, 2, 0, 0}},         {"1.2.3.4\r\n", {1, 2, 3, 4}},
      {"1 2.3.4", {1, 3, 4, 0}},  // a space ends only the fourth number
      {"x.2", {0, 2, 0, 0}},          {"\n", {0, 0, 0, 0}},
      {"4294967296.1", {0, 1, 0, 0}},  // wraps, never overflows
  };
  for (const Case& c : cases) EXPECT_EQ(ParseVersion(c.text), c.expected) << c.text;
  EXPECT_FALSE(ParseVersion("").has_value());
}

TEST(UpdateFile, VersionValueAddsThePartsUnmasked) {
  EXPECT_EQ(VersionValue({1, 2, 4, 0}), 0x01020400u);
  EXPECT_EQ(VersionValue({1, 2, 256, 0}), 0x01030000u);  // 256 carries into the next place
  EXPECT_EQ(VersionValue({255, 0, 0, 1}), 0xFF000001u);  // compared unsigned
}

TEST(UpdateFile, CheckTheFirstLine) {
  const Version own = {1, 2, 4, 0};
  struct Case {
    std::string_view text;
    UpdateCheck expected;
  } cases[] = {
      {"VERSION:1.2.5.0\r\nFrom: a\r\n", UpdateCheck::kNewer},
      {"VERSION:1.2.4.0\r\n", UpdateCheck::kNotNewer},
      {"VERSION:1.3\n", UpdateCheck::kNewer},
      {"VERSION: 1, 2, 5, 0\n", UpdateCheck::kNewer},
      {"VERSION:255.0.0.0", UpdateCheck::kNewer},
      {"version:9.9.9.9\n", UpdateCheck::kNoMarker},
      {"VERSION 9.9.9.9\n", UpdateCheck::kNoMarker},
      {"Subject: x\nVERSION:9.9.9.9\n", UpdateCheck::kNoMarker},
      {"VERSION:", UpdateCheck::kEmptyVersion},
      {"VERSION:\n", UpdateCheck::kNotNewer},
      {"", UpdateCheck::kEmptyFile},
  };
  for (const Case& c : cases) EXPECT_EQ(CheckUpdateFile(c.text, own), c.expected) << c.text;
  // Only 255 characters of the first line are read: a version beyond them is not seen.
  std::string longLine = "VERSION:" + std::string(247, ' ') + "9.9.9.9\n";
  EXPECT_EQ(CheckUpdateFile(longLine, own), UpdateCheck::kNotNewer);
}

TEST(UpdateFile, SavedName) {
  struct Case {
    std::string_view url, expected;
  } cases[] = {
      {"http://update.postwink.example/Postwink/update.dat", "update.dat"},
      {"http://host/dir/", "Update.dat"},
      {"no-slash", "Update.dat"},
      {"http://host/a234567890123456789012345678901", "a234567890123456789012345678901"},
      {"http://host/a2345678901234567890123456789012", "Update.dat"},
      {"http://host/update.dat?x=1", "Update.dat"},
      {"http://host/..\\..\\evil.exe", "Update.dat"},
      {"http://host/..", "Update.dat"},
      {"http://host/c:x", "Update.dat"},
  };
  for (const Case& c : cases) EXPECT_EQ(UpdateFileName(c.url), c.expected) << c.url;
}

}  // namespace
}  // namespace postwink
