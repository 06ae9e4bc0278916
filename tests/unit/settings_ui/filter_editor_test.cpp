// The filter page's copy of the rules and FilterEditDialog's state.
#include <gtest/gtest.h>

#include "core/settings_ui/filter_edit_model.h"
#include "core/settings_ui/filter_page_model.h"
#include "core/settings_ui/settings_ui_texts.h"

namespace postwink {
namespace {

FilterRule Rule(const std::string& pattern, int target = kFilterTargetSubject,
                int action = kFilterActionHidden) {
  FilterRule rule;
  rule.pattern = pattern;
  rule.target = target;
  rule.action = action;
  return rule;
}

std::vector<std::string> Patterns(const FilterPageModel& page) {
  std::vector<std::string> patterns;
  for (const FilterRule& rule : page.Rules()) patterns.push_back(rule.pattern);
  return patterns;
}

FilterTable Table(int count) {
  FilterTable table;
  for (int i = 0; i < count; ++i) table.rules.push_back(Rule(std::string(1, char('a' + i))));
  return table;
}

TEST(FilterPage, RowTextsNameTheHeaderAndTheTreatment) {
  struct Case {
    int target, action;
    const char* header;
    const char* control;
  } cases[] = {
      {kFilterTargetFrom, kFilterActionSpam, "From", texts::kFilterRowSpam},
      {kFilterTargetTo, kFilterActionHidden, "To", texts::kFilterRowHidden},
      {kFilterTargetSubject, kFilterActionColours, "Subject", texts::kFilterRowColours},
      {kFilterTargetHeader, 9, "X-Ml-Name:", texts::kFilterRowColours},
      {7, kFilterActionHidden, "Subject", texts::kFilterRowHidden},  // unknown target
  };
  for (const Case& c : cases) {
    FilterRule rule = Rule("pat", c.target, c.action);
    rule.headerName = "X-Ml-Name:";
    FilterRowTexts row = FilterRowTextsOf(rule);
    EXPECT_EQ(row.header, c.header);
    EXPECT_EQ(row.control, c.control);
    EXPECT_EQ(row.pattern, "pat");
  }
}

TEST(FilterPage, AddEditAndTheThirtyRuleLimit) {
  FilterPageModel page(Table(2));
  EXPECT_FALSE(page.Modified());
  EXPECT_FALSE(page.AddRefusal());
  page.Add(Rule("new"));
  EXPECT_EQ(Patterns(page), (std::vector<std::string>{"a", "b", "new"}));
  EXPECT_EQ(page.Rules()[2].createdMark, 1);
  EXPECT_TRUE(page.Modified());
  page.Replace(0, Rule("edited"));
  EXPECT_EQ(Patterns(page), (std::vector<std::string>{"edited", "b", "new"}));

  FilterPageModel full(Table(30));
  std::optional<std::string> refusal = full.AddRefusal();
  ASSERT_TRUE(refusal);
  char expected[96];
  std::snprintf(expected, sizeof expected, texts::kFilterLimit, 30);
  EXPECT_EQ(*refusal, expected);
  EXPECT_NE(refusal->find("30"), std::string::npos);
}

TEST(FilterPage, DeleteAndMoveKeepTheOrderOfTheRest) {
  using P = std::vector<std::string>;
  FilterPageModel page(Table(5));
  page.Delete({3, 1});  // two rows apart
  EXPECT_EQ(Patterns(page), (P{"a", "c", "e"}));

  struct Case {
    bool up;
    int row;
    std::optional<int> selected;
    P after;
  } cases[] = {
      {true, 0, std::nullopt, {"a", "c", "e"}},   // the first row cannot go up
      {false, 2, std::nullopt, {"a", "c", "e"}},  // nor the last down
      {true, -1, std::nullopt, {"a", "c", "e"}},  // no selection
      {true, 2, 1, {"a", "e", "c"}},
      {false, 0, 1, {"e", "a", "c"}},
  };
  for (const Case& c : cases) {
    std::optional<int> selected = c.up ? page.MoveUp(c.row) : page.MoveDown(c.row);
    EXPECT_EQ(selected, c.selected) << c.row;
    EXPECT_EQ(Patterns(page), c.after) << c.row;
  }
}

TEST(FilterPage, ApplyReplacesTheGlobalTableAndCancelLeavesIt) {
  FilterTable global = Table(3);
  const FilterTable before = global;
  FilterPageModel page(global);
  page.Delete({0});
  page.Add(Rule("z"));
  EXPECT_EQ(global, before);  // the page works on its copy
  page.ApplyTo(global);
  ASSERT_EQ(global.rules.size(), 3u);
  EXPECT_EQ(global.rules[0].pattern, "b");
  EXPECT_EQ(global.rules[2].pattern, "z");
}

TEST(FilterEdit, ANewRuleStartsAtSubjectHiddenWhenPresentInTheListColours) {
  Settings settings;
  settings.st2Rgb = 0xFF9046;
  settings.bgRgb = 0xE6FFFF;
  FilterRule record = NewFilterRuleRecord();
  EXPECT_EQ(record.action, -1);
  FilterEditState state = OpenFilterEdit(record, settings);
  EXPECT_EQ(state.target, kFilterTargetSubject);
  EXPECT_EQ(state.action, kFilterActionHidden);
  EXPECT_EQ(state.whenAbsent, 0);
  EXPECT_FALSE(state.useRegex);
  EXPECT_TRUE(state.pattern.empty());
  EXPECT_TRUE(state.headerName.empty());
  EXPECT_EQ(state.textColour, 0xFF9046u);
  EXPECT_EQ(state.backColour, 0xE6FFFFu);
  EXPECT_EQ(state.colourSlot, kFilterSlotAll);

  state.pattern = "ml";
  ASSERT_FALSE(ConfirmFilterEdit(state, record));
  FilterRule expected;
  expected.pattern = "ml";
  expected.target = kFilterTargetSubject;
  expected.action = kFilterActionHidden;
  expected.colourSlot = kFilterSlotAll;
  expected.textColour = 0xFF9046;
  expected.backColour = 0xE6FFFF;
  EXPECT_EQ(record, expected);  // cleared first: no -1 is left over
}

TEST(FilterEdit, ControlsAreEnabledByTargetTreatmentAndTheRegexFacility) {
  struct Case {
    int target, action;
    bool regex;
    bool headerName, colours;
  } cases[] = {
      {kFilterTargetHeader, kFilterActionColours, true, true, true},
      {kFilterTargetFrom, kFilterActionSpam, true, false, false},
      {kFilterTargetSubject, kFilterActionHidden, false, false, false},
      {-1, -1, true, false, false},
  };
  for (const Case& c : cases) {
    FilterEditState state;
    state.target = c.target;
    state.action = c.action;
    FilterEditEnabling e = FilterEditEnablingOf(state, c.regex);
    EXPECT_EQ(e.headerName, c.headerName);
    EXPECT_EQ(e.colours, c.colours);
    EXPECT_EQ(e.regex, c.regex);
  }
}

TEST(FilterEdit, AnExistingRuleKeepsWhatTheControlsDoNotShow) {
  FilterRule rule = Rule("x", kFilterTargetHeader, kFilterActionSpam);
  rule.headerName = "Date:";
  rule.textColour = 0x123456;  // colours of a rule that is not "特殊色表示" stay
  rule.backColour = 0x654321;
  rule.colourSlot = kFilterSlotMailbox;
  rule.createdMark = 0;
  rule.useRegex = 1;
  rule.pattern = "/^x/";
  rule.whenAbsent = 1;
  FilterEditState state = OpenFilterEdit(rule, Settings());
  EXPECT_EQ(state.target, kFilterTargetHeader);
  EXPECT_EQ(state.action, kFilterActionSpam);
  EXPECT_TRUE(state.useRegex);
  EXPECT_EQ(state.whenAbsent, 1);

  // Switching to From keeps the header name typed under "その他：".
  state.target = kFilterTargetFrom;
  FilterRule edited = rule;
  ASSERT_FALSE(ConfirmFilterEdit(state, edited));
  FilterRule expected = rule;
  expected.target = kFilterTargetFrom;
  EXPECT_EQ(edited, expected);
  EXPECT_EQ(OpenFilterEdit(edited, Settings()).headerName, "Date:");

  // Values no button stands for stay as they were.
  FilterRule odd = Rule("y", 7, 9);
  odd.colourSlot = 5;
  FilterEditState oddState = OpenFilterEdit(odd, Settings());
  EXPECT_EQ(oddState.target, -1);
  EXPECT_EQ(oddState.action, -1);
  EXPECT_EQ(oddState.colourSlot, -1);
  FilterRule kept = odd;
  ASSERT_FALSE(ConfirmFilterEdit(oddState, kept));
  EXPECT_EQ(kept, odd);
}

TEST(FilterEdit, AnEmptySearchStringOrABrokenExpressionKeepsTheDialogOpen) {
  FilterRule rule = Rule("keep");
  FilterEditState state = OpenFilterEdit(rule, Settings());
  state.pattern = "";
  EXPECT_EQ(ConfirmFilterEdit(state, rule), std::string(texts::kNoSearchString));
  state.pattern = "/(unclosed/";
  state.useRegex = true;
  std::optional<std::string> broken = ConfirmFilterEdit(state, rule);
  ASSERT_TRUE(broken);
  EXPECT_TRUE(broken->starts_with(texts::kInvalidRegex)) << *broken;
  EXPECT_EQ(rule, Rule("keep"));  // nothing stored
  state.pattern = std::string(300, 'p');
  state.useRegex = false;
  ASSERT_FALSE(ConfirmFilterEdit(state, rule));
  EXPECT_EQ(rule.pattern.size(), kMaxFilterText);
}

}  // namespace
}  // namespace postwink
