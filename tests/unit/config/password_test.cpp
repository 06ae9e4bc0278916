#include "core/config/password.h"

#include <gtest/gtest.h>

#include <random>

#include "unit/config/fake_system.h"

namespace postwink {
namespace {

using testing::FakeClock;
using testing::FakeRandom;

ScrambleResult Scramble(std::string_view password, std::deque<int> draws,
                        FakeRandom* used = nullptr) {
  FakeClock clock;
  FakeRandom random;
  random.numbers = std::move(draws);
  ScrambleResult r = ScramblePassword(password, clock, random);
  if (used) *used = random;
  return r;
}

TEST(Password, FollowsTheStoredFormat) {
  struct Case {
    const char* password;
    std::deque<int> draws;
    const char* stored;
  } cases[] = {
      {"abc", {0, 0}, "A^AVIX"},  // nothing raised
      {"abc", {1, 3}, "A`^A`"},   // "b" and "c" raised: only the lowest bit of a draw counts
      {"abc", {5, 2}, "A`^IX"},   // only "b" raised
      {"", {}, ""},
  };
  for (const Case& c : cases) {
    ScrambleResult r = Scramble(c.password, c.draws);
    ASSERT_TRUE(r.ok()) << c.password;
    EXPECT_EQ(r.text, c.stored) << c.password;
    EXPECT_EQ(UnscramblePassword(c.stored), c.password) << c.stored;
  }
}

TEST(Password, SeedsWithTimeTimesFirstByteAndDrawsOncePerLaterByte) {
  FakeRandom used;
  Scramble("abcd", {}, &used);
  EXPECT_EQ(used.seeds, 1);
  EXPECT_EQ(used.seed, static_cast<uint32_t>(int64_t{1700000000} * 'a'));
  EXPECT_EQ(used.draws, 3);
}

TEST(Password, SamePasswordSavedTwiceDiffersButReadsBackTheSame) {
  ScrambleResult first = Scramble("password", {0, 1, 0, 1, 1, 0, 0});
  ScrambleResult second = Scramble("password", {1, 0, 1, 0, 0, 1, 1});
  ASSERT_TRUE(first.ok() && second.ok());
  EXPECT_NE(first.text, second.text);
  EXPECT_EQ(UnscramblePassword(first.text), "password");
  EXPECT_EQ(UnscramblePassword(second.text), "password");
}

TEST(Password, AnotherRaiseIsTakenWhenTheRandomOneMakesARunTooLong) {
  // A raised space (0x80) before a plain one gives nine zero bits in a row.
  FakeRandom used;
  ScrambleResult r = Scramble("   ", {1, 0}, &used);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(UnscramblePassword(r.text), "   ");
  EXPECT_EQ(used.draws, 2);
  // 0x7F followed by a raised 0x7F (0xDF) gives nine one bits.
  r = Scramble("\x7f\x7f", {1});
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(UnscramblePassword(r.text), "\x7f\x7f");
}

TEST(Password, ControlBytesAreNeverRaised) {
  // Raised, 0x01 would become 0x61 and read back as "a".
  ScrambleResult r = Scramble("a\x01\x1f", {1, 1});
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(UnscramblePassword(r.text), "a\x01\x1f");
}

TEST(Password, UnrepresentablePasswordsAreRefusedWithAMessage) {
  struct Case {
    std::string password;
    ScrambleStatus status;
  } cases[] = {
      {"\x83\x70\x83\x58", ScrambleStatus::kUnsupportedByte},  // Japanese text
      {"abc\x80", ScrambleStatus::kUnsupportedByte},
      {std::string(1, '\0'), ScrambleStatus::kRunTooLong},  // a last run of eight bits
      {std::string("a\0\0b", 4), ScrambleStatus::kRunTooLong},
      {std::string("\x01\x00", 2), ScrambleStatus::kRunTooLong},
  };
  for (const Case& c : cases) {
    ScrambleResult r = Scramble(c.password, {});
    EXPECT_EQ(r.status, c.status) << c.password.size();
    // The check an editor runs before saving refuses it alike, with the same message.
    ScrambleResult checked = CheckPasswordStorable(c.password);
    EXPECT_EQ(checked.status, c.status);
    EXPECT_EQ(checked.error, r.error);
    EXPECT_TRUE(r.text.empty());
    EXPECT_FALSE(r.error.empty());
  }
}

TEST(Password, EveryRepresentablePasswordRoundTrips) {
  std::mt19937 gen(12345);
  std::uniform_int_distribution<int> length(1, 40);
  std::uniform_int_distribution<int> printable(0x20, 0x7E);
  std::uniform_int_distribution<int> any(0x00, 0x7F);
  std::uniform_int_distribution<int> draw(0, 0x7FFF);
  int refused = 0;
  for (int round = 0; round < 5000; ++round) {
    std::string password;
    int n = length(gen);
    bool controls = round % 4 == 0;
    for (int i = 0; i < n; ++i) password += static_cast<char>(controls ? any(gen) : printable(gen));
    std::deque<int> draws;
    for (int i = 0; i < n; ++i) draws.push_back(draw(gen));
    ScrambleResult r = Scramble(password, draws);
    ASSERT_EQ(CheckPasswordStorable(password).ok(), r.ok()) << password;
    if (!r.ok()) {
      ++refused;
      ASSERT_TRUE(controls) << "printable password refused: " << password;
      continue;
    }
    for (char c : r.text) ASSERT_TRUE(c >= 0x21 && c <= 0x7E) << password;
    ASSERT_LE(r.text.size(), 4 * password.size() + 1);
    ASSERT_EQ(UnscramblePassword(r.text), password) << r.text;
  }
  EXPECT_LT(refused, 1250);
}

TEST(Password, ReadsHandTypedValuesWithoutFailing) {
  // Characters outside the alphabet are skipped, wherever they are.
  EXPECT_EQ(UnscramblePassword(" A^\x82\xa0"
                               "AV\tIX "),
            "abc");
  EXPECT_EQ(UnscramblePassword(""), "");
  std::string junk;
  for (int c = 0; c < 256; ++c) junk += static_cast<char>(c);
  EXPECT_LE(UnscramblePassword(junk).size(), 2 * junk.size());
}

}  // namespace
}  // namespace postwink
