#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/filter/regex_facility.h"
#include "core/filter/regex_program.h"
#include "fuzz/regex_reference.h"

namespace postwink {
namespace {

bool Matches(std::string_view expression, std::string_view target) {
  auto compiled = RegexProgram::Compile(expression);
  const RegexProgram* program = std::get_if<RegexProgram>(&compiled);
  EXPECT_NE(program, nullptr) << expression << ": " << std::get<std::string>(compiled);
  return program && program->Search(target);
}

struct MatchCase {
  const char* expression;
  const char* target;
  bool expected;
};

// One code point is one character, whatever its script or its length in UTF-8.
const MatchCase kMatchCases[] = {
    // literals, ".", anchors
    {"abc", "xxabcxx", true},
    {"abc", "abx", false},
    {"", "anything", true},
    {"^abc", "abcdef", true},
    {"^abc", "xabc", false},
    {"def$", "abcdef", true},
    {"def$", "abcdef\n", true},  // before a final newline, as in Perl
    {"def$", "def\nx", false},
    {"^$", "", true},
    {"^a|b", "xb", true},
    {"(^a)", "xa", false},
    {"^*a", "xa", true},
    {"^a*", "", true},
    {"a.c", "abc", true},
    {"a.c", "a\nc", false},
    // alternation and groups
    {"cat|dog", "hotdog", true},
    {"^(cat|dog)s$", "dogs", true},
    {"^(?:cat|dog)s$", "cats", true},
    {"^(cat|dog)s$", "cows", false},
    {"a|", "zzz", true},
    {"^(a|b(c|d))e$", "bde", true},
    // quantifiers, greedy and lazy
    {"^ab*c$", "ac", true},
    {"^ab+c$", "ac", false},
    {"^ab?c$", "abbc", false},
    {"^a{2}$", "aa", true},
    {"^a{2}$", "aaa", false},
    {"^a{2,}$", "aaaaa", true},
    {"^a{2,3}$", "aaaa", false},
    {"^a{0,1}b", "ab", true},
    {"^a+?b$", "aaab", true},
    {"^a*?$", "aaa", true},
    {"^a{1,2}?b", "aab", true},
    {"^(ab){2}$", "abab", true},
    {"a{", "a{", true},  // not a count: a literal brace, as in Perl
    {"^a{,2}$", "a{,2}", true},
    {"^a{x}$", "a{x}", true},
    // classes and class escapes
    {"^[a-c]+$", "abcab", true},
    {"^[a-c]+$", "abd", false},
    {"^[^a-c]$", "d", true},
    {"^[]a]$", "]", true},
    {"^[a-]$", "-", true},
    {"^[\\d.]+$", "1.5", true},
    {"^\\d+$", "123", true},
    {"\\D", "123", false},
    {"^\\w+$", "ab_9", true},
    {"\\W", "ab_9", false},
    {"a\\sb", "a\tb", true},
    {"\\S", " \t\r\n", false},
    {"^[^\\s]+$", "abc", true},
    {"[\\b]", "\b", true},
    // word boundaries
    {"\\bfoo\\b", "a foo b", true},
    {"\\bfoo\\b", "afoo", false},
    {"\\Boo", "foo", true},
    {"\\Bfoo", "foo", false},
    {"^\\b$", "", false},
    // escapes
    {"a\\.b", "a.b", true},
    {"a\\.b", "axb", false},
    {"\\x41\\t", "A\t", true},
    {"\\\\", "a\\b", true},
    {"\\/", "a/b", true},
    {"\\(\\)\\[\\]\\{\\}\\*\\+\\?\\|\\^\\$", "()[]{}*+?|^$", true},
    // case
    {"(?i)abc", "xABCx", true},
    {"abc", "ABC", false},
    {"(?i)^[a-c]+$", "AbC", true},
    {"(?i)[^a]", "A", false},
    {"(?i)\\x41", "a", true},
    {"(?i)Ａ", "ａ", false},  // FULLWIDTH A does not fold to FULLWIDTH a
    // characters outside ASCII are single characters
    {"^.$", "あ", true},
    {"^..$", "あ", false},
    {"A", "ア", false},
    {"\\x41", "ア", false},
    {"^.A$", "アA", true},
    {"ア", "xア", true},
    {"ソ", "ソ", true},
    {"^ポ$", "ポ", true},
    {"^ソ+$", "ソソ", true},       // "+" repeats the whole character
    {"^[ぁ-ん]+$", "あい", true},  // HIRAGANA range
    {"[ぁ-ん]", "ア", false},
    {"^[^a]$", "あ", true},
    {"^[^あ]$", "あ", false},
    {"\\w", "あ", false},
    {"^\\W$", "あ", true},
    {"\\bあ", "aあ", true},
    {"\\xa0", "あ", false},
    {"^.$", "😀", true},
    {"^..$", "😀", false},
    {"^.$", "한", true},
    {"^...$", "👩‍💻", true},  // woman, joiner, laptop: three code points
    {"^.{5}$", "สวัสดี", false},
    {"^.{6}$", "สวัสดี", true},
    {"^[가-힣]+$", "한국어", true},
    {"[가-힣]", "日本語", false},
    {"^[😀-🙏]$", "😃", true},
    {"^[^a]$", "🎉", true},
    {"^[^🎉]$", "🎉", false},
    {"^Γει.$", "Γειά", true},
    {"(?i)é", "É", false},  // only ASCII folds
    {"\\xe9", "é", true},   // \x names a code point
    // bytes that are no UTF-8 never match a real character
    {"^.$", "\xE6\x97", true},  // a character cut short counts once
    {"^..$", "\xFF\xFE", true},
    {"\\xff", "\xFF", false},
    {"\\xff", "ÿ", true},
};

TEST(Regex, MatchTable) {
  for (const MatchCase& c : kMatchCases) {
    EXPECT_EQ(Matches(c.expression, c.target), c.expected)
        << "expression " << c.expression << " target " << c.target;
  }
}

TEST(Regex, InvalidExpressionsAreErrors) {
  const std::string deep =
      std::string(kRegexMaxNesting + 1, '(') + "a" + std::string(kRegexMaxNesting + 1, ')');
  const std::string tooLarge = "((((a{1000}){1000}){1000}){1000})";
  const std::string justTooLarge = ".{1000}.{1000}";
  const std::string invalid[] = {
      "(",   "a)",      "[a",  "[",     "*a",     "a**",    "a+*",        "a{2}{3}",
      "\\q", "\\1",     "a\\", "(?=a)", "a(?i)b", "a{3,2}", "a{1001}",    "[b-a]",
      "\\x", "[a-\\d]", "|*",  "(*)",   deep,     tooLarge, justTooLarge,
  };
  for (const std::string& e : invalid) {
    auto compiled = RegexProgram::Compile(e);
    ASSERT_TRUE(std::holds_alternative<std::string>(compiled)) << e;
    EXPECT_FALSE(std::get<std::string>(compiled).empty()) << e;
  }
  // Just inside the limits compiles.
  const std::string nested =
      std::string(kRegexMaxNesting, '(') + "a" + std::string(kRegexMaxNesting, ')');
  EXPECT_TRUE(Matches(nested, "a"));
  EXPECT_TRUE(Matches("^a{1000}$", std::string(1000, 'a')));
}

// Expressions that make a backtracking matcher take exponential time finish here in time
// linear in the target, and a megabyte-long target needs no deep stack.
TEST(Regex, PathologicalExpressionsStayLinear) {
  const std::string as(100000, 'a');
  EXPECT_FALSE(Matches("(a*)*b", as));
  EXPECT_FALSE(Matches("(a|a)*b", as));
  EXPECT_FALSE(Matches("^(a+)+$", as + "!"));
  EXPECT_TRUE(Matches("(x+x+)+y|a$", as));
  std::string big;
  for (int i = 0; i < 1 << 17; ++i) big += "あ";
  EXPECT_FALSE(Matches("あ{3}b", big));
  EXPECT_TRUE(Matches("^(あ)*$", big));
}

TEST(RegexFacility, SlashesAndSharedHandle) {
  RegexFacility& regex = BuiltInRegex();
  RegexHandle handle;
  std::string error;
  EXPECT_EQ(regex.BMatch("/^ab/", "abc", handle, error), RegexMatch::kFound);
  ASSERT_NE(handle, nullptr);
  const CompiledPattern* first = handle.get();
  EXPECT_EQ(regex.BMatch("/^ab/", "cab", handle, error), RegexMatch::kNotFound);
  EXPECT_EQ(handle.get(), first);  // same pattern: reused
  EXPECT_EQ(regex.BMatch("/b$/", "cab", handle, error), RegexMatch::kFound);
  EXPECT_EQ(handle->pattern, "/b$/");

  for (const char* bad : {"ab", "/ab", "ab/", "//", "/", "/ab/i", "/(/"}) {
    error.clear();
    EXPECT_EQ(regex.BMatch(bad, "/ab/ab", handle, error), RegexMatch::kInvalid) << bad;
    EXPECT_FALSE(error.empty()) << bad;
    EXPECT_TRUE(RegexPatternError(bad).has_value()) << bad;
  }
  EXPECT_EQ(regex.BMatch("/a/b/", "xa/by", handle, error), RegexMatch::kFound);
  EXPECT_FALSE(RegexPatternError("/a/").has_value());

  // Every thread alive at every character: the work runs out before the end of the text, and an
  // answer found before that still counts.
  const std::string field(16 << 10, 'a');
  EXPECT_EQ(regex.BMatch("/.{0,950}Z/", field, handle, error), RegexMatch::kGaveUp);
  EXPECT_EQ(regex.BMatch("/.{0,950}Z/", "aZ" + field, handle, error), RegexMatch::kFound);
  regex.BRegfree(handle);
  EXPECT_EQ(handle, nullptr);
}

// Random expressions of the simple subset checked against a backtracking matcher.
TEST(Regex, AgreesWithBacktrackingReference) {
  std::mt19937 random(12345);
  const std::string atoms[] = {"a", "b", ".", "あ", "ア", "A", "[ab]", "[^a]", "[a-あ]", "|", "*"};
  const std::string letters[] = {"a", "b", "A", "あ", "ア", "😀", "\x82", "\n"};
  int compared = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string expression;
    for (int i = random() % 6; i >= 0; --i) expression += atoms[random() % std::size(atoms)];
    std::string target;
    for (int i = random() % 8; i > 0; --i) target += letters[random() % std::size(letters)];
    auto reference = testing::ParseReference(expression);
    if (!reference) continue;
    ++compared;
    EXPECT_EQ(Matches(expression, target), testing::RefSearch(*reference, target))
        << "expression " << expression << " target " << target;
  }
  EXPECT_GT(compared, 1000);
}

}  // namespace
}  // namespace postwink
