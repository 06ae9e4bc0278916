// The list window's menus as they open: which items, in which state, drawn by the program, and
// the command or part that a choice gives back.
#include "win32/list/list_menus.h"

#include <gtest/gtest.h>

#include "core/platform/system.h"
#include "modal_script.h"
#include "win32/checker_app.h"
#include "win32/resource.h"
#include "win32/wide_text.h"
#include "window_test_support.h"

namespace postwink::win {
namespace {

using test::ModalScript;

constexpr UINT kChecked = MFS_CHECKED;
constexpr UINT kGrey = MFS_GRAYED;

struct Shown {
  UINT id;
  UINT state;  // MFS_ bits
  bool ownerDrawn;
};

// What the open menu holds, item by item (separators as id 0).
std::vector<Shown> Inspect(HMENU menu) {
  std::vector<Shown> items;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    bool separator = (info.fType & MFT_SEPARATOR) != 0;
    UINT state =
        separator ? 0 : (info.fState & MFS_CHECKED) | ((info.fState & MFS_GRAYED) ? kGrey : 0);
    items.push_back({separator ? 0u : info.wID, state, (info.fType & MFT_OWNERDRAW) != 0});
  }
  return items;
}

// Looks at the open menu, then closes it with the keys given (the arrow keys move, Enter picks).
ModalScript::Step Look(std::vector<Shown>* seen, std::vector<WPARAM> keys) {
  return [seen, keys] {
    HWND window = test::FindOpenMenu();
    if (!window) return false;
    *seen = Inspect(reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0)));
    for (WPARAM key : keys) PostMessageW(window, WM_KEYDOWN, key, 0);
    return true;
  };
}

class ListMenus : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.Create(100, 100, 300, 200));
    SetForegroundWindow(host_.hwnd());
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    program_ = Narrow(self);  // a program with an icon of its own
  }
  UINT Context(const ContextFacts& facts, std::vector<Shown>* seen, std::vector<WPARAM> keys,
               const std::string& mailer = "") {
    ModalScript script({Look(seen, std::move(keys))});
    UINT chosen = TrackContextMenu(host_.hwnd(), {150, 150}, facts, program_, mailer);
    EXPECT_TRUE(script.Done());
    return chosen;
  }

  test::HostWindow host_;
  std::string program_;
};

TEST_F(ListMenus, TheListsContextMenu) {
  ContextFacts facts;
  facts.editorSet = true;
  facts.firstSelectedRead = true;
  std::vector<Shown> seen;
  EXPECT_EQ(Context(facts, &seen, {VK_ESCAPE}), 0u);
  std::vector<std::pair<UINT, UINT>> expected = {
      {ID_OPEN_IN_EDITOR, 0}, {ID_START_MAILER, kGrey},   {0, 0},
      {ID_LIST_DELETE, 0},    {ID_READ_UNREAD, kChecked}, {0, 0},
      {ID_EDIT_SELECT_ALL, 0}};
  ASSERT_EQ(seen.size(), expected.size());
  for (size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].id, expected[i].first) << i;
    EXPECT_EQ(seen[i].state, expected[i].second) << i;
    EXPECT_EQ(seen[i].ownerDrawn, seen[i].id != 0) << i;
  }
}

TEST_F(ListMenus, ThePreviewsMenuWithALinkAndTheChoiceComesBack) {
  ContextFacts facts;
  facts.place = CommandPlace::kPreview;
  facts.previewSelectionEmpty = false;
  facts.previewSelectionIsLink = true;
  std::vector<Shown> seen;
  // The fourth item down (past the editor, the mail program and open link) is copy.
  UINT chosen = Context(facts, &seen, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  EXPECT_EQ(chosen, static_cast<UINT>(ID_EDIT_COPY));
  std::vector<UINT> ids;
  for (const Shown& s : seen) ids.push_back(s.id);
  EXPECT_EQ(ids,
            (std::vector<UINT>{ID_OPEN_IN_EDITOR, ID_START_MAILER, 0, ID_OPEN_LINK, ID_EDIT_COPY,
                               ID_LIST_DELETE, ID_READ_UNREAD, 0, ID_EDIT_SELECT_ALL}));
  EXPECT_EQ(seen[3].state, 0u);
}

TEST_F(ListMenus, NoMenuInTheListWithoutASelectedRow) {
  ModalScript script({[] { return test::FindOpenMenu() != nullptr; }});
  EXPECT_EQ(TrackContextMenu(host_.hwnd(), {150, 150}, ContextFacts{}, program_, ""), 0u);
  test::PumpFor(200);
  EXPECT_FALSE(script.Done()) << "a menu opened";
}

MimePart Part(const char* type, const char* name, bool ended) {
  MimePart part;
  part.type = type;
  if (name) part.name = name;
  part.start = 0;
  if (ended) part.end = 1;
  return part;
}

TEST_F(ListMenus, TheAttachmentMenuGivesBackThePartChosen) {
  PartList parts = {Part("text/plain", nullptr, true), Part("image/png", "a\tb.png", true),
                    Part("application/pdf", "c.pdf", false)};
  std::vector<Shown> seen;
  ModalScript script({Look(&seen, {VK_DOWN, VK_RETURN})});
  EXPECT_EQ(TrackAttachmentMenu(host_.hwnd(), {150, 150}, parts), 1u);
  ASSERT_TRUE(script.Done());
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].id, 32777u);
  EXPECT_EQ(seen[0].state, 0u);
  EXPECT_EQ(seen[1].id, 32778u);
  EXPECT_EQ(seen[1].state, kGrey) << "its end was not fetched";
}

TEST_F(ListMenus, AnAttachmentThatCannotBeWrittenSaysSo) {
  MailItem item;
  PartList parts = {Part("application/pdf", "c.pdf", true)};
  FileSystem& files = PlatformSystem().files;
  TempFolder gone{files, UserTempDirectory() + "postwink-no-such-folder\\",
                  PlatformSystem().codePage};
  std::wstring seen;
  ModalScript script({[&seen] {
    HWND box = test::FindDialog(L"Postwink");
    if (!box) return false;
    seen = test::ChildTexts(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return true;
  }});
  OpenAttachment(host_.hwnd(), item, parts, 0, gone, nullptr);
  EXPECT_TRUE(script.Done()) << "nothing was said";
  EXPECT_NE(seen.find(L"ファイルの保存に失敗しました。"), std::wstring::npos) << Narrow(seen);
}

TEST_F(ListMenus, AnAttachmentBeyondTheEleventhPartOpensNothing) {
  PartList parts(13, Part("image/gif", "p.gif", true));
  // Up from the top wraps round to the last item, part 12.
  std::vector<Shown> seen;
  ModalScript script({Look(&seen, {VK_UP, VK_RETURN})});
  EXPECT_EQ(TrackAttachmentMenu(host_.hwnd(), {150, 150}, parts), std::nullopt);
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(seen.size(), 13u) << "no part is text, so none is the body";
}

}  // namespace
}  // namespace postwink::win
