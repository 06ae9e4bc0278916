// The filter page and FilterEditDialog as the user works with them.
#include <gtest/gtest.h>

#include "core/settings_ui/settings_ui_texts.h"
#include "sheet_test_support.h"
#include "win32/resource.h"
#include "win32/settings/filter_edit_dialog.h"

namespace postwink::win {
namespace {

using test::HelpHeading;
using test::ModalAnswerer;
using test::PumpFor;
using test::Utf8;

bool On(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
bool Ticked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void Set(HWND dialog, int id, const std::string& text) {
  SetDlgItemTextW(dialog, id, Widen(text).c_str());
}
void ClickIn(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

FilterRule Rule(const std::string& pattern) {
  FilterRule rule;
  rule.pattern = pattern;
  rule.target = kFilterTargetSubject;
  rule.action = kFilterActionHidden;
  return rule;
}

class FilterEditor : public test::SheetTest {
 protected:
  int Rows() { return ListView_GetItemCount(Control(IDC_FILTER_LIST)); }
  std::string Cell(int row, int column) {
    wchar_t text[256] = {};
    ListView_GetItemText(Control(IDC_FILTER_LIST), row, column, text, 256);
    return Narrow(text);
  }
  void SelectRows(std::initializer_list<int> rows) {
    HWND list = Control(IDC_FILTER_LIST);
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (int row : rows) ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
  }
  std::vector<std::string> Patterns() {
    std::vector<std::string> patterns;
    for (int row = 0; row < Rows(); ++row) patterns.push_back(Cell(row, 2));
    return patterns;
  }
};

TEST_F(FilterEditor, ANewRuleStartsAtItsDefaultsAndNeedsASearchString) {
  Open(1, 3);
  HWND editor = nullptr;
  bool defaults = false, headerAfterOther = false, coloursAfterSpecial = false;
  ModalAnswerer boxes({
      [&](HWND dialog) {
        editor = dialog;
        defaults = Ticked(dialog, IDC_FEDIT_SUBJECT) && Ticked(dialog, IDC_FEDIT_HIDDEN) &&
                   Ticked(dialog, IDC_FEDIT_PRESENT) && !Ticked(dialog, IDC_FEDIT_REGEX) &&
                   On(dialog, IDC_FEDIT_REGEX) && !On(dialog, IDC_FEDIT_HEADER_NAME) &&
                   !On(dialog, IDC_FEDIT_SLOT) && !On(dialog, IDC_FEDIT_TEXT_COLOUR) &&
                   !On(dialog, IDC_FEDIT_BACK_LABEL) &&
                   SendDlgItemMessageW(dialog, IDC_FEDIT_SLOT, CB_GETCURSEL, 0, 0) == 2;
        ClickIn(dialog, IDC_FEDIT_OTHER);
        headerAfterOther = On(dialog, IDC_FEDIT_HEADER_NAME);
        ClickIn(dialog, IDC_FEDIT_COLOURS);
        coloursAfterSpecial = On(dialog, IDC_FEDIT_SLOT) && On(dialog, IDC_FEDIT_TEXT_COLOUR) &&
                              On(dialog, IDC_FEDIT_BACK_COLOUR);
        Set(dialog, IDC_FEDIT_HEADER_NAME, "X-ML-Name:");
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);  // without a search string
      },
      [&](HWND box) {
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        Set(editor, IDC_FEDIT_PATTERN, "ml");
        PostMessageW(editor, WM_COMMAND, IDOK, 0);
      },
  });
  Click(IDC_FILTER_ADD);
  ASSERT_EQ(boxes.Answered(), 2u);
  EXPECT_TRUE(defaults);
  EXPECT_TRUE(headerAfterOther);
  EXPECT_TRUE(coloursAfterSpecial);
  EXPECT_NE(boxes.Texts()[1].find(texts::kNoSearchString), std::string::npos);
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(Cell(0, 0), "X-ML-Name:");
  EXPECT_EQ(Cell(0, 1), Utf8(u8"特殊色"));
  EXPECT_EQ(Cell(0, 2), "ml");

  EXPECT_TRUE(settings_.filters.rules.empty());  // a copy until Apply
  Press(PSBTN_APPLYNOW);
  ASSERT_EQ(settings_.filters.rules.size(), 1u);
  const FilterRule& rule = settings_.filters.rules[0];
  EXPECT_EQ(rule.createdMark, 1);
  EXPECT_EQ(rule.target, kFilterTargetHeader);
  EXPECT_EQ(rule.action, kFilterActionColours);
  EXPECT_EQ(rule.colourSlot, kFilterSlotAll);
  EXPECT_EQ(rule.textColour, static_cast<uint32_t>(settings_.st2Rgb));
  EXPECT_EQ(rule.backColour, static_cast<uint32_t>(settings_.bgRgb));
  EXPECT_EQ(owner_.applied, 1);
}

TEST_F(FilterEditor, ThirtyRulesAreTheLimitAndNoEditorOpens) {
  for (int i = 0; i < 30; ++i) settings_.filters.rules.push_back(Rule(std::to_string(i)));
  Open(1, 3);
  EXPECT_EQ(Rows(), 30);
  ModalAnswerer boxes({ModalAnswerer::Press(IDOK), ModalAnswerer::Press(IDCANCEL)});
  Click(IDC_FILTER_ADD);
  PumpFor(100);
  ASSERT_EQ(boxes.Answered(), 1u);
  char expected[96];
  std::snprintf(expected, sizeof expected, texts::kFilterLimit, 30);
  EXPECT_NE(boxes.Texts()[0].find(expected), std::string::npos);
  EXPECT_EQ(Rows(), 30);
}

TEST_F(FilterEditor, DeleteMoveAndEditKeepTheRulesInOrder) {
  for (const char* p : {"a", "b", "c", "d", "e"}) settings_.filters.rules.push_back(Rule(p));
  Open(1, 3);
  SelectRows({1, 3});
  Click(IDC_FILTER_DELETE);
  EXPECT_EQ(Patterns(), (std::vector<std::string>{"a", "c", "e"}));
  SelectRows({0});
  Click(IDC_FILTER_UP);  // the first row stays
  EXPECT_EQ(Patterns(), (std::vector<std::string>{"a", "c", "e"}));
  Click(IDC_FILTER_DOWN);
  EXPECT_EQ(Patterns(), (std::vector<std::string>{"c", "a", "e"}));
  EXPECT_EQ(ListView_GetNextItem(Control(IDC_FILTER_LIST), -1, LVNI_SELECTED), 1);

  // A double click edits the selected rule; its other fields stay.
  settings_.filters.rules[2].headerName = "Date:";
  ModalAnswerer boxes({[](HWND dialog) {
    Set(dialog, IDC_FEDIT_PATTERN, "edited");
    ClickIn(dialog, IDC_FEDIT_FROM);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  }});
  NMITEMACTIVATE click{};
  click.hdr.hwndFrom = Control(IDC_FILTER_LIST);
  click.hdr.idFrom = IDC_FILTER_LIST;
  click.hdr.code = NM_DBLCLK;
  click.iItem = 1;
  SendMessageW(Page(), WM_NOTIFY, IDC_FILTER_LIST, reinterpret_cast<LPARAM>(&click));
  ASSERT_EQ(boxes.Answered(), 1u);
  EXPECT_EQ(Patterns(), (std::vector<std::string>{"c", "edited", "e"}));
  EXPECT_EQ(Cell(1, 0), "From");

  Press(PSBTN_OK);
  ASSERT_TRUE(sheet_->Ended());
  ASSERT_EQ(settings_.filters.rules.size(), 3u);
  EXPECT_EQ(settings_.filters.rules[1].pattern, "edited");
  EXPECT_EQ(settings_.filters.rules[1].target, kFilterTargetFrom);
  EXPECT_EQ(settings_.filters.rules[1].createdMark, 0);
  EXPECT_EQ(settings_.filters.rules[2].pattern, "e");
}

TEST_F(FilterEditor, CancelLeavesTheGlobalRules) {
  settings_.filters.rules.push_back(Rule("keep"));
  Open(1, 3);
  SelectRows({0});
  Click(IDC_FILTER_DELETE);
  EXPECT_EQ(Rows(), 0);
  Press(PSBTN_CANCEL);
  ASSERT_TRUE(sheet_->Ended());
  ASSERT_EQ(settings_.filters.rules.size(), 1u);
}

// The dialog on its own: an existing rule's values, the help texts, and a header name that
// survives a change of target.
TEST_F(FilterEditor, TheDialogShowsAnExistingRuleWithItsHelpTexts) {
  FilterRule rule = Rule("/^\\[ml\\]/");
  rule.target = kFilterTargetHeader;
  rule.headerName = "X-ML-Name:";
  rule.action = kFilterActionSpam;
  rule.useRegex = 1;
  rule.whenAbsent = 1;
  rule.colourSlot = kFilterSlotMailbox;
  rule.textColour = 0x123456;
  FilterEditDialog dialog(rule, settings_);
  struct Tip {
    int id;
    const char8_t* heading;
  } tips[] = {
      {IDC_FEDIT_TARGET_GROUP, u8"検索対象"},   {IDC_FEDIT_OTHER, u8"その他"},
      {IDC_FEDIT_HEADER_NAME, u8"検索文字列"},  {IDC_FEDIT_PATTERN, u8"検索文字列"},
      {IDC_FEDIT_SPAM, u8"SPAM 扱い"},          {IDC_FEDIT_HIDDEN, u8"非表示扱い"},
      {IDC_FEDIT_COLOURS, u8"特殊色扱い"},      {IDC_FEDIT_SLOT, u8"対象項目"},
      {IDC_FEDIT_TEXT_COLOUR, u8"文字色"},      {IDC_FEDIT_BACK_COLOUR, u8"背景色"},
      {IDC_FEDIT_REGEX, u8"正規表現"},          {IDC_FEDIT_PRESENT, u8"ある時？ない時？"},
      {IDC_FEDIT_ABSENT, u8"ある時？ない時？"},
  };
  std::vector<std::string> missing;
  bool shown = false;
  std::string title;
  ModalAnswerer boxes({[&](HWND box) {
    wchar_t caption[64] = {};
    GetWindowTextW(box, caption, 64);
    title = Narrow(caption);
    shown = Ticked(box, IDC_FEDIT_OTHER) && Ticked(box, IDC_FEDIT_SPAM) &&
            Ticked(box, IDC_FEDIT_ABSENT) && Ticked(box, IDC_FEDIT_REGEX) &&
            On(box, IDC_FEDIT_HEADER_NAME) && !On(box, IDC_FEDIT_SLOT) &&
            SendDlgItemMessageW(box, IDC_FEDIT_SLOT, CB_GETCURSEL, 0, 0) == 3;
    for (const Tip& tip : tips) {
      const std::string* text = dialog.Tooltip().ToolText(GetDlgItem(box, tip.id));
      if (text == nullptr || !text->starts_with(HelpHeading(tip.heading))) {
        missing.push_back(std::to_string(tip.id));
      }
    }
    ClickIn(box, IDC_FEDIT_SUBJECT);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  }});
  ASSERT_TRUE(dialog.RunModal(owner_.hwnd()));
  EXPECT_EQ(title, Utf8(u8"フィルタ追加／編集"));
  EXPECT_TRUE(shown);
  EXPECT_TRUE(missing.empty()) << missing.front();
  FilterRule expected = rule;
  expected.target = kFilterTargetSubject;
  EXPECT_EQ(dialog.Rule(), expected);
}

}  // namespace
}  // namespace postwink::win
