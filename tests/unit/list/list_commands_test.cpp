#include "core/list/list_commands.h"

#include <gtest/gtest.h>

#include "core/mime/body_and_parts.h"
#include "core/mime/parse_message.h"
#include "unit/mime/mime_test_support.h"

namespace postwink {
namespace {

struct ItemExpectation {
  int command;
  bool present;
  bool checked;
  bool greyed;
  MenuPicture picture;
};

void ExpectMenu(const ContextFacts& facts, std::initializer_list<ItemExpectation> items,
                const char* what) {
  for (const ItemExpectation& e : items) {
    MenuItemState s = ContextMenuItem(e.command, facts);
    EXPECT_EQ(s.present, e.present) << what << " " << e.command;
    if (!e.present) continue;
    EXPECT_EQ(s.checked, e.checked) << what << " " << e.command;
    EXPECT_EQ(s.greyed, e.greyed) << what << " " << e.command;
    EXPECT_EQ(s.picture, e.picture) << what << " " << e.command;
  }
}

constexpr auto kTool = MenuPicture::kToolbar;

TEST(ContextMenu, TheListsMenuConcernsRowsOnly) {
  ContextFacts facts;
  facts.firstSelectedRead = false;
  ExpectMenu(facts,
             {{kCmdOpenInEditor, true, false, true, kTool},
              {kCmdStartMailer, true, false, true, kTool},
              {kCmdOpenLink, false, false, false, kTool},
              {kCmdCopy, false, false, false, kTool},
              {kCmdDelete, true, false, false, kTool},
              {kCmdReadToggle, true, false, false, kTool},
              {kCmdSelectAll, true, false, false, MenuPicture::kNone}},
             "list, unread row, no programs");
  // The preview's selection does not matter to the list's menu.
  facts.editorSet = true;
  facts.mailerSet = true;
  facts.firstSelectedRead = true;
  facts.previewSelectionEmpty = false;
  facts.previewSelectionIsLink = true;
  ExpectMenu(facts,
             {{kCmdOpenInEditor, true, false, false, MenuPicture::kEditorIcon},
              {kCmdStartMailer, true, false, false, MenuPicture::kMailerIcon},
              {kCmdOpenLink, false, false, false, kTool},
              {kCmdCopy, false, false, false, kTool},
              {kCmdReadToggle, true, true, false, kTool}},
             "list, read row, both programs");
}

TEST(ContextMenu, ThePreviewsMenuFollowsItsSelection) {
  ContextFacts facts;
  facts.place = CommandPlace::kPreview;
  facts.editorSet = true;
  ExpectMenu(facts,
             {{kCmdOpenInEditor, true, false, false, MenuPicture::kEditorIcon},
              {kCmdStartMailer, true, false, true, kTool},
              {kCmdOpenLink, false, false, false, kTool},
              {kCmdCopy, true, false, true, kTool},
              // No selected row: the item keeps the check the menu resource gives it.
              {kCmdReadToggle, true, true, false, kTool}},
             "preview, nothing selected");
  facts.previewSelectionEmpty = false;
  facts.firstSelectedRead = false;
  ExpectMenu(facts,
             {{kCmdOpenLink, false, false, false, kTool},
              {kCmdCopy, true, false, false, kTool},
              {kCmdReadToggle, true, false, false, kTool}},
             "preview, plain text selected");
  facts.previewSelectionIsLink = true;
  ExpectMenu(facts, {{kCmdOpenLink, true, false, false, kTool}}, "preview, a link selected");
}

TEST(ContextMenu, OpensInTheListOnlyWithASelectedRow) {
  ContextFacts list;
  EXPECT_FALSE(ContextMenuOpens(list));
  list.firstSelectedRead = false;
  EXPECT_TRUE(ContextMenuOpens(list));
  ContextFacts preview;
  preview.place = CommandPlace::kPreview;
  EXPECT_TRUE(ContextMenuOpens(preview));
}

TEST(ContextMenu, ToolbarImagesInStripOrder) {
  EXPECT_EQ(ToolbarImage(kCmdDelete), 0);
  EXPECT_EQ(ToolbarImage(kCmdCopy), 4);
  EXPECT_EQ(ToolbarImage(kCmdAbout), 6);
  EXPECT_EQ(ToolbarImage(kCmdSelectAll), std::nullopt);
}

TEST(FlipRead, EverySelectedRowTakesTheOppositeOfTheFirst) {
  struct Case {
    std::vector<bool> before;
    bool after;
  } cases[] = {
      {{true, false, true}, false},
      {{false, true, true}, true},
      {{false}, true},
      {{true}, false},
  };
  for (const Case& c : cases) {
    std::vector<MailItem> items(c.before.size());
    std::vector<MailItem*> selected;
    for (size_t i = 0; i < items.size(); ++i) {
      items[i].flags = (c.before[i] ? kMailRead : 0) | kMailImportant;
      selected.push_back(&items[i]);
    }
    EXPECT_EQ(FlipRead(selected), c.after);
    for (const MailItem& item : items) {
      EXPECT_EQ((item.flags & kMailRead) != 0, c.after);
      EXPECT_TRUE(item.flags & kMailImportant) << "other flags stay";
    }
  }
  EXPECT_EQ(FlipRead({}), std::nullopt);
}

TEST(LinkMayOpen, WebMailAndNewsOnly) {
  for (const char* link :
       {"http://example.jp/", "HTTPS://example.jp/a?b=c", "ftp://ftp.example.jp/",
        "mailto:a@example.jp", "news:fj.comp", "www.example.jp", "ftp.example.jp"}) {
    EXPECT_TRUE(LinkMayOpen(link)) << link;
  }
  for (const char* link : {"file:///C:/Windows/System32/calc.exe", "file://server/share/x.exe",
                           "\\\\server\\share\\x.exe", "C:\\x.exe", "javascript:alert(1)",
                           "http://", "", " http://example.jp/"}) {
    EXPECT_FALSE(LinkMayOpen(link)) << link;
  }
}

TEST(CommandForKey, BothTables) {
  constexpr auto kList = CommandPlace::kList;
  constexpr auto kPreview = CommandPlace::kPreview;
  struct Case {
    CommandPlace place;
    int key;
    bool ctrl;
    KeyCommand command;
  } cases[] = {
      {kList, kKeyTab, false, KeyCommand::kSwitchFocus},
      {kList, kKeyReturn, false, KeyCommand::kOpen},
      {kList, kKeyReturn, true, KeyCommand::kOpen},
      {kList, kKeyEscape, false, KeyCommand::kClose},
      {kList, kKeyDelete, false, KeyCommand::kDelete},
      {kList, 'A', true, KeyCommand::kSelectAll},
      {kList, 'A', false, KeyCommand::kNone},
      {kList, 'B', true, KeyCommand::kReadToggle},
      {kList, 'B', false, KeyCommand::kNone},
      {kList, 'M', true, KeyCommand::kStartMailer},
      {kList, 'C', true, KeyCommand::kNone},
      {kPreview, kKeyTab, false, KeyCommand::kSwitchFocus},
      {kPreview, kKeyReturn, true, KeyCommand::kOpen},
      {kPreview, kKeyEscape, false, KeyCommand::kClose},
      {kPreview, kKeyDelete, false, KeyCommand::kDelete},
      {kPreview, 'A', true, KeyCommand::kNone},  // the pane selects its own text
      {kPreview, 'C', true, KeyCommand::kNone},  // and copies it
      {kPreview, 'B', true, KeyCommand::kReadToggle},
      {kPreview, 'M', true, KeyCommand::kStartMailer},
      {kPreview, 'M', false, KeyCommand::kNone},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CommandForKey(c.place, c.key, c.ctrl), c.command)
        << (c.place == kList ? "list " : "preview ") << c.key << (c.ctrl ? " ctrl" : "");
  }
}

MimePart Part(std::optional<std::string> type, std::optional<std::string> name, bool ended) {
  MimePart part;
  part.type = std::move(type);
  part.name = std::move(name);
  part.start = 0;
  if (ended) part.end = 1;
  return part;
}

TEST(AttachmentMenu, EveryPartButTheBody) {
  PartList parts = {
      Part("multipart/alternative; boundary=x", std::nullopt, true),  // not text: listed
      Part("Text/Plain; charset=us-ascii", std::nullopt, true),       // the body
      Part("text/html", std::nullopt, true),                          // a later text part
      Part("image/png; name=a.png", "a.png", true),
      Part(std::nullopt, std::nullopt, true),  // no type after the body: an attachment
      Part("application/pdf", "", true),       // an empty name
      Part(";x", std::nullopt, true),          // nothing before the ";"
      Part("application/zip", "cut.zip", false),
  };
  std::vector<AttachmentEntry> expected = {
      {0, 32776, "multipart/alternative", false},
      {2, 32778, "text/html", false},
      {3, 32779, "a.png", false},
      {4, 32780, "Attach", false},
      {5, 32781, "Attach", false},
      {6, 32782, "Attach", false},
      {7, 32783, "cut.zip", true},
  };
  EXPECT_EQ(AttachmentMenuEntries(parts), expected);
}

TEST(AttachmentMenu, TheFirstPartIsNeverGreyedAndABodyAloneGivesNoEntry) {
  EXPECT_TRUE(AttachmentMenuEntries({Part("text/plain", std::nullopt, false)}).empty());
  EXPECT_TRUE(AttachmentMenuEntries({Part(std::nullopt, std::nullopt, false)}).empty());
  std::vector<AttachmentEntry> single = {{0, 32776, "x.pdf", false}};
  EXPECT_EQ(AttachmentMenuEntries({Part("application/pdf", "x.pdf", false)}), single);
}

TEST(AttachmentMenu, PartsOfAMessageCutOffAfterItsSecondPart) {
  MailItem item;
  ParseMessage(item,
               test::Crlf({"Content-Type: multipart/mixed; boundary=b", "", "--b",
                           "Content-Type: text/plain", "", "hello", "--b",
                           "Content-Type: image/gif; name=\"one.gif\"", "", "R0lG", "--b",
                           "Content-Type: image/gif; name=\"two.gif\"", "", "R0lG"}),
               std::nullopt, test::Options());
  PartList parts;
  GetBodyAndParts(item, parts, test::Charsets());
  std::vector<AttachmentEntry> expected = {{1, 32777, "one.gif", false},
                                           {2, 32778, "two.gif", true}};
  EXPECT_EQ(AttachmentMenuEntries(parts), expected);
}

TEST(AttachmentMenu, ManyPartsAreListedUpToTheLimitAndOnlyElevenOpen) {
  PartList parts(kAttachmentMenuLimit + 50, Part("image/gif", "p.gif", true));
  std::vector<AttachmentEntry> entries = AttachmentMenuEntries(parts);
  ASSERT_EQ(entries.size(), kAttachmentMenuLimit);
  EXPECT_EQ(entries.back().part, kAttachmentMenuLimit - 1);

  EXPECT_EQ(AttachmentPartForCommand(kCmdOpenInEditor), std::nullopt);
  EXPECT_EQ(AttachmentPartForCommand(32776), 0u);
  EXPECT_EQ(AttachmentPartForCommand(32786), 10u);
  EXPECT_EQ(AttachmentPartForCommand(32787), std::nullopt);
  // No listed item carries the id of another command of the window (open link is 32879).
  EXPECT_LT(entries.back().command, kCmdOpenLink);
}

}  // namespace
}  // namespace postwink
