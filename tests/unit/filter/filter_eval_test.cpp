#include "core/filter/filter_eval.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/config/account.h"

namespace postwink {
namespace {

constexpr uint32_t kSt1 = 0x000001, kSt2 = 0x000002, kSt3 = 0x000003, kBg = 0x000004;
constexpr uint32_t kBox = 0x000005, kText = 0x0000AA, kBack = 0x0000BB;

FilterRule Rule(int32_t target, std::string pattern, int32_t action = kFilterActionSpam) {
  FilterRule rule;
  rule.target = target;
  rule.pattern = std::move(pattern);
  rule.action = action;
  return rule;
}

class EvaluateFiltersTest : public ::testing::Test {
 protected:
  EvaluateFiltersTest() {
    settings.st1Rgb = kSt1;
    settings.st2Rgb = kSt2;
    settings.st3Rgb = kSt3;
    settings.bgRgb = kBg;
    account.colour = kBox;
    item.account = &account;
    item.from = "Alice <alice@example.org>";
    item.to = "bob@example.org";
    item.subject = "Re: meeting";
    item.headerText =
        "From: Alice <alice@example.org>\r\n"
        "Subject: =?ISO-2022-JP?B?GyRCJDMkcyRLJEEkTxsoQg==?=\r\n"
        "X-Folded: ab\r\n cd\r\n"
        "\r\n";
  }

  std::optional<int> Run(RegexFacility* regex = &BuiltInRegex()) {
    return EvaluateFilters(item, table, settings, regex);
  }
  void Use(std::vector<FilterRule> rules) { table.rules = std::move(rules); }

  Settings settings;
  Account account;
  MailItem item;
  FilterTable table;
};

TEST_F(EvaluateFiltersTest, NoRuleSetsDefaultColoursAndClearsFilterFlags) {
  item.fromColour = item.subjectColour = item.receivedColour = item.backColour = 0xFF;
  item.flags = kMailRead | kMailImportant | kMailSpam | kMailOwnColours | kMailHidden;
  Use({Rule(kFilterTargetSubject, "absent")});
  EXPECT_EQ(Run(), std::nullopt);
  EXPECT_EQ(item.fromColour, kSt1);
  EXPECT_EQ(item.subjectColour, kSt2);
  EXPECT_EQ(item.receivedColour, kSt3);
  EXPECT_EQ(item.backColour, kBg);
  EXPECT_EQ(item.mailboxColour, kBox);
  EXPECT_EQ(item.flags, kMailRead | kMailImportant);
}

TEST_F(EvaluateFiltersTest, FirstApplyingRuleWins) {
  Use({Rule(kFilterTargetFrom, "nobody"), Rule(kFilterTargetSubject, "meet", kFilterActionHidden),
       Rule(kFilterTargetTo, "bob", kFilterActionSpam)});
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(item.flags, kMailHidden);
  Use({Rule(kFilterTargetTo, "bob", kFilterActionSpam)});
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(item.flags, kMailSpam);  // the earlier hidden bit is cleared
}

TEST_F(EvaluateFiltersTest, WhenAbsentNeedsATargetText) {
  FilterRule absent = Rule(kFilterTargetSubject, "invoice", kFilterActionHidden);
  absent.whenAbsent = 1;
  Use({absent});
  EXPECT_EQ(Run(), 0);
  for (std::optional<std::string> subject :
       {std::optional<std::string>(), std::optional<std::string>("")}) {
    item.subject = subject;
    EXPECT_EQ(Run(), std::nullopt);
    EXPECT_EQ(item.flags, 0u);
  }
  item.subject = "your invoice";
  EXPECT_EQ(Run(), std::nullopt);
}

TEST_F(EvaluateFiltersTest, NamedFieldIsMatchedRawAndUnfolded) {
  Use({Rule(kFilterTargetHeader, "=?ISO-2022-JP?B?")});
  table.rules[0].headerName = "subject:";
  EXPECT_EQ(Run(), 0);
  item.subject = "こんにちは";  // the decoded subject
  Use({Rule(kFilterTargetSubject, "=?ISO-2022-JP?B?")});
  EXPECT_EQ(Run(), std::nullopt);

  Use({Rule(kFilterTargetHeader, "ab cd")});  // unfolding keeps the fold's blank
  table.rules[0].headerName = "X-Folded:";
  EXPECT_EQ(Run(), 0);

  // Skipped: no name, no header block, a field the message lacks (even for whenAbsent).
  FilterRule skipped = Rule(kFilterTargetHeader, "zzz");
  skipped.whenAbsent = 1;
  Use({skipped});
  EXPECT_EQ(Run(), std::nullopt);
  table.rules[0].headerName = "X-Missing:";
  EXPECT_EQ(Run(), std::nullopt);
  table.rules[0].headerName = "X-Folded:";
  EXPECT_EQ(Run(), 0);
  item.headerText.reset();
  EXPECT_EQ(Run(), std::nullopt);
}

TEST_F(EvaluateFiltersTest, UnknownTargetNeverAppliesUnknownActionStops) {
  FilterRule unknownTarget = Rule(7, "");
  unknownTarget.whenAbsent = 1;
  Use({unknownTarget, Rule(kFilterTargetSubject, "Re:", 9), Rule(kFilterTargetSubject, "Re:")});
  item.flags = kMailSpam;
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(item.flags, 0u);
  EXPECT_EQ(item.fromColour, kSt1);
}

TEST_F(EvaluateFiltersTest, SubstringIsCaseSensitiveAndEmptyPatternMatchesAnyText) {
  item.subject = "Réunion 🎉 Ａ 会议";
  for (std::string_view found : {"🎉", "Ａ", "会议", "é"}) {
    Use({Rule(kFilterTargetSubject, std::string(found))});
    EXPECT_EQ(Run(), 0) << found;
  }
  for (std::string_view absent : {"ａ", "É", "A", "会谈"}) {  // case-sensitive, full-width too
    Use({Rule(kFilterTargetSubject, std::string(absent))});
    EXPECT_EQ(Run(), std::nullopt) << absent;
  }
  Use({Rule(kFilterTargetSubject, "")});
  EXPECT_EQ(Run(), 0);
}

TEST_F(EvaluateFiltersTest, RegularExpressionsAndTheirFallback) {
  struct Case {
    const char* pattern;
    const char* subject;
    int32_t whenAbsent;
    bool withFacility;
    bool applies;
  } cases[] = {
      {"/^Re:/", "Re: x", 0, true, true},
      {"/^Re:/", "Fw: Re: x", 0, true, false},
      {"/^Re:/", "Fw: Re: x", 1, true, true},
      {"/^Re:/", "Re: x", 0, false, false},  // without the facility: the whole pattern
      {"/^Re:/", "see /^Re:/ here", 0, false, true},
      {"/(?i)^re:/", "RE: x", 0, true, true},
      {"/A/", "ア", 0, true, false},     // characters, not bytes
      {"^Re:", "^Re:", 0, true, false},  // not between slashes: never applies
      {"^Re:", "x", 1, true, false},
      {"/(/", "x", 1, true, false},  // invalid: never applies, even when absent
      {"/(/", "/(/", 0, false, true},
  };
  for (const Case& c : cases) {
    FilterRule rule = Rule(kFilterTargetSubject, c.pattern);
    rule.useRegex = 1;
    rule.whenAbsent = c.whenAbsent;
    Use({rule});
    item.subject = c.subject;
    EXPECT_EQ(Run(c.withFacility ? &BuiltInRegex() : nullptr).has_value(), c.applies)
        << c.pattern << " on " << c.subject << (c.withFacility ? "" : " without facility");
  }
  // useRegex values other than 1 are plain substrings.
  FilterRule two = Rule(kFilterTargetSubject, "/x/");
  two.useRegex = 2;
  Use({two});
  item.subject = "a/x/b";
  EXPECT_EQ(Run(), 0);
}

TEST_F(EvaluateFiltersTest, ColourSlots) {
  struct Case {
    int32_t slot;
    uint32_t from, subject, received, mailbox, back;
  } cases[] = {
      {kFilterSlotFrom, kText, kSt2, kSt3, kBox, kBack},
      {kFilterSlotSubject, kSt1, kText, kSt3, kBox, kBack},
      {kFilterSlotAll, kText, kText, kText, kText, kBack},
      {kFilterSlotMailbox, kSt1, kSt2, kSt3, kText, kBack},
      {4, kSt1, kSt2, kSt3, kBox, kBg},  // unknown slot: only the flag
  };
  for (const Case& c : cases) {
    FilterRule rule = Rule(kFilterTargetFrom, "alice", kFilterActionColours);
    rule.colourSlot = c.slot;
    rule.textColour = kText;
    rule.backColour = kBack;
    Use({rule});
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(item.fromColour, c.from) << c.slot;
    EXPECT_EQ(item.subjectColour, c.subject) << c.slot;
    EXPECT_EQ(item.receivedColour, c.received) << c.slot;
    EXPECT_EQ(item.mailboxColour, c.mailbox) << c.slot;
    EXPECT_EQ(item.backColour, c.back) << c.slot;
    EXPECT_EQ(item.flags, kMailOwnColours) << c.slot;
  }
}

// Records the handle each call sees, to show that one evaluation shares one handle and
// releases it once.
class RecordingFacility : public RegexFacility {
 public:
  RegexMatch BMatch(std::string_view pattern, std::string_view target, RegexHandle& handle,
                    std::string& error) override {
    RegexMatch result = BuiltInRegex().BMatch(pattern, target, handle, error);
    seen.push_back(handle.get());
    return result;
  }
  void BRegfree(RegexHandle& handle) override {
    ++frees;
    handle.reset();
  }
  std::vector<const CompiledPattern*> seen;
  int frees = 0;
};

TEST_F(EvaluateFiltersTest, RulesShareOneHandleReleasedOnce) {
  RecordingFacility facility;
  FilterRule a = Rule(kFilterTargetSubject, "/^x/");
  a.useRegex = 1;
  FilterRule b = a;
  b.target = kFilterTargetFrom;
  FilterRule c = Rule(kFilterTargetSubject, "meeting");
  Use({a, b, a, c});
  EXPECT_EQ(Run(&facility), 3);
  ASSERT_EQ(facility.seen.size(), 3u);
  EXPECT_EQ(facility.seen[0], facility.seen[1]);
  EXPECT_EQ(facility.seen[1], facility.seen[2]);
  EXPECT_EQ(facility.frees, 1);

  Use({c});
  EXPECT_EQ(Run(&facility), 0);
  EXPECT_EQ(facility.frees, 1);  // no expression ran, nothing to release
}

// One rule on one message does a bounded amount of work, however long the field and whatever
// the expression: the field is looked at up to its first megabyte, and an expression gives up
// after a fixed number of steps. A rule that could not look at the whole field then does not
// apply, unless it found its pattern in the part it looked at.
TEST_F(EvaluateFiltersTest, ARuleThatCannotLookAtAllOfAHugeFieldDoesNotApply) {
  const std::string huge(2 << 20, 'a');
  const std::string pathological = "/.{0,950}Z/";  // a thread at nearly every instruction
  const struct {
    const char* name;
    std::string pattern;
    std::string field;
    int whenAbsent;
    bool applies;
  } cases[] = {
      {"found_early", "aaa", huge, 0, true},
      {"only_beyond_the_first_megabyte", "needle", huge + "needle", 0, false},
      {"absent_from_the_part_looked_at", "needle", huge, 1, false},
      {"absent_from_a_short_field", "needle", "short", 1, true},
      {"too_much_work", pathological, std::string(16 << 10, 'a'), 1, false},
      {"found_before_the_work_runs_out", pathological, "aZ" + std::string(16 << 10, 'a'), 0, true},
      {"ordinary_expression_on_a_long_field", "/needle$/", std::string(512 << 10, 'a') + "needle",
       0, true},
  };
  for (const auto& c : cases) {
    FilterRule rule = Rule(kFilterTargetHeader, c.pattern);
    rule.headerName = "X-Junk:";
    rule.useRegex = c.pattern.starts_with("/") ? 1 : 0;
    rule.whenAbsent = c.whenAbsent;
    Use({rule});
    item.headerText = "X-Junk: " + c.field + "\r\n\r\n";
    EXPECT_EQ(Run().has_value(), c.applies) << c.name;
  }
}

}  // namespace
}  // namespace postwink
