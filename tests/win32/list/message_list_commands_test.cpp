// The list window's commands as the user gives them: keys, the context menus, the attachment
// cell with its menu and dialog, and the links of the preview.
#include <gtest/gtest.h>

#include "core/platform/system.h"
#include "list/message_list_fixture.h"
#include "modal_script.h"
#include "win32/checker_app.h"
#include "win32/resource.h"
#include "win32/wide_text.h"
#include "win32/window_messages.h"

// After the program's own header, which keeps windows.h from renaming CreateDirectory.
#include <richedit.h>

namespace postwink::win {
namespace {

using test::FindDialog;
using test::FindOpenMenu;
using test::kEnglish;
using test::kJapanese;
using test::kOlder;
using test::ModalScript;
using test::PumpFor;
using test::PumpUntil;

const char kWithAttachment[] =
    "From: Build Server <ci@example.com>\r\n"
    "Subject: Nightly report (attached)\r\n"
    "Date: Wed, 09 Dec 2026 11:30:00 +0900\r\n"
    "Content-Type: multipart/mixed; boundary=\"b\"\r\n"
    "\r\n"
    "--b\r\n"
    "Content-Type: text/plain\r\n"
    "\r\n"
    "The log is attached. See https://ci.example.jp/build/412 for more.\r\n"
    "--b\r\n"
    "Content-Type: text/plain; name=\"report.txt\"\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "\r\n"
    "b2sgMQpvayAyCg==\r\n"
    "--b--\r\n";

// The program's main window as the list sees it: it keeps what the list posts to it.
class OwnerWindow : public Wnd {
 public:
  bool Create() {
    WindowArgs args;
    args.className = L"PostwinkTestOwner";
    args.style = WS_POPUP;
    return CreateWindowFrom(args);
  }
  std::vector<std::pair<UINT, LPARAM>> editor;  // (row, item)
  std::vector<UINT> commands;

 protected:
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_OPEN_IN_EDITOR) editor.emplace_back(static_cast<UINT>(wParam), lParam);
    if (msg == WM_COMMAND) commands.push_back(LOWORD(wParam));
    return Wnd::OnMessage(msg, wParam, lParam);
  }
};

// Keys as the user types them, so that the window sees Ctrl held.
void Type(WORD key, bool ctrl = false) {
  std::vector<INPUT> inputs;
  auto add = [&](WORD k, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = k;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  if (ctrl) add(VK_CONTROL, false);
  add(key, false);
  add(key, true);
  if (ctrl) add(VK_CONTROL, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  PumpFor(150);
}

class ListCommandsTest : public test::MessageListFixture {
 protected:
  void SetUp() override {
    MessageListFixture::SetUp();
    ASSERT_TRUE(owner_.Create());
  }
  void TearDown() override {
    MessageListFixture::TearDown();
    if (!tempFolder_.empty()) PlatformSystem().files.RemoveTree(tempFolder_);
  }
  // The user's list, in front, with the focus in it.
  void OpenActive() {
    Open(true, 0, owner_.hwnd());
    SetForegroundWindow(window_->hwnd());
    SetFocus(window_->List().hwnd());
    PumpFor(100);
  }
  void Click(int row, int column, UINT keys = 0) {
    POINT p = CellCentre(row, column);
    SendMessageW(window_->List().hwnd(), WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(p.x, p.y));
    SendMessageW(window_->List().hwnd(), WM_LBUTTONUP, keys, MAKELPARAM(p.x, p.y));
  }
  std::vector<int> Selected() { return window_->List().GetSelectedItems(); }

  OwnerWindow owner_;
};

TEST_F(ListCommandsTest, CtrlBGivesEverySelectedRowTheOppositeOfTheFirst) {
  MailItem* older = Add(kOlder);                 // row 2, unread
  MailItem* english = Add(kEnglish, kMailRead);  // row 1, read
  MailItem* japanese = Add(kJapanese);           // row 0, unread
  OpenActive();
  ASSERT_EQ(RowOf(japanese), 0);
  Click(0, kColumnSubject);
  Click(2, kColumnSubject, MK_SHIFT);
  ASSERT_EQ(Selected(), (std::vector<int>{0, 1, 2}));
  Type('B', true);
  for (MailItem* item : {older, english, japanese}) {
    EXPECT_TRUE(item->flags & kMailRead);
    EXPECT_FALSE(Bold(item));
  }
  Type('B', true);
  for (MailItem* item : {older, english, japanese}) {
    EXPECT_FALSE(item->flags & kMailRead);
    EXPECT_TRUE(Bold(item));
  }
  Type('B');  // without Ctrl: nothing
  EXPECT_FALSE(japanese->flags & kMailRead);
}

TEST_F(ListCommandsTest, DelRemovesTheSelectedRowsAndSelectsTheRowAtTheLastPlace) {
  MailItem* older = Add(kOlder);
  MailItem* attached = Add(kWithAttachment);
  MailItem* english = Add(kEnglish);
  MailItem* japanese = Add(kJapanese);
  OpenActive();
  // Newest first: attached, japanese, english, older.
  ASSERT_EQ(RowOf(attached), 0);
  Click(RowOf(japanese), kColumnFrom);
  Click(RowOf(english), kColumnFrom, MK_CONTROL);
  Type(VK_DELETE);
  EXPECT_EQ(window_->List().GetItemCount(), 2);
  EXPECT_TRUE(japanese->flags & kMailRemoved);
  EXPECT_TRUE(english->flags & kMailRemoved);
  EXPECT_FALSE(english->previewText.has_value());
  EXPECT_EQ(RowOf(older), 1);
  EXPECT_EQ(Selected(), (std::vector<int>{1})) << "the row that took the last one's place";
  EXPECT_EQ(list_.Size(), 4u) << "removed items stay for the next check to recognise";
}

TEST_F(ListCommandsTest, CtrlASelectsEveryRowOrThePanesText) {
  Add(kOlder);
  Add(kEnglish);
  Add(kJapanese);
  OpenActive();
  Type('A', true);
  EXPECT_EQ(Selected(), (std::vector<int>{0, 1, 2}));
  window_->ShowPreview(0);
  SetFocus(window_->Preview());
  Type('A', true);  // the pane's own select-all
  CHARRANGE range{};
  SendMessageW(window_->Preview(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.cpMin, 0);
  EXPECT_GT(range.cpMax, 10);
}

TEST_F(ListCommandsTest, CtrlEnterAsksForTheEditorAndCtrlMForTheMailProgram) {
  MailItem* japanese = Add(kJapanese);
  OpenActive();
  Click(0, kColumnSubject);
  Type(VK_RETURN, true);
  EXPECT_TRUE(owner_.editor.empty()) << "no editor set: nothing";
  settings_.editor = "C:\\editor.exe";
  Type(VK_RETURN, true);
  PumpFor(100);
  ASSERT_EQ(owner_.editor.size(), 1u);
  EXPECT_EQ(owner_.editor[0], (std::pair<UINT, LPARAM>{0, reinterpret_cast<LPARAM>(japanese)}));
  EXPECT_TRUE(japanese->flags & kMailRead) << "read at once";
  EXPECT_FALSE(Bold(japanese));
  EXPECT_FALSE(window_->PreviewVisible());
  Type('M', true);
  PumpFor(100);
  EXPECT_EQ(owner_.commands, (std::vector<UINT>{ID_START_MAILER}));
}

// Looks at the open menu's items and closes it with the keys given.
ModalScript::Step InMenu(std::vector<UINT>* ids, std::vector<WPARAM> keys) {
  return [ids, keys] {
    HWND window = FindOpenMenu();
    if (!window) return false;
    auto menu = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      UINT id = GetMenuItemID(menu, i);
      if (id == 0 || id == static_cast<UINT>(-1)) {
        ids->push_back(0);  // a separator
        continue;
      }
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_STATE;
      GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
      // Checked and greyed items are told apart by high bits.
      if (info.fState & MFS_CHECKED) id |= 0x10000;
      if (info.fState & MFS_GRAYED) id |= 0x20000;
      ids->push_back(id);
    }
    for (WPARAM key : keys) PostMessageW(window, WM_KEYDOWN, key, 0);
    return true;
  };
}
constexpr UINT kIsChecked = 0x10000;
constexpr UINT kIsGrey = 0x20000;

TEST_F(ListCommandsTest, ARightClickOpensTheListsMenuAndItsChoiceActs) {
  MailItem* english = Add(kEnglish, kMailRead);
  Add(kJapanese);
  OpenActive();
  POINT p = CellCentre(RowOf(english), kColumnSubject);
  std::vector<UINT> ids;
  // Down three times: past the greyed editor and mail program to "削除".
  ModalScript script({InMenu(&ids, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN})});
  SendMessageW(window_->List().hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(p.x, p.y));
  SendMessageW(window_->List().hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  PumpUntil([&] { return script.Done(); }, 3000);
  PumpFor(100);
  EXPECT_EQ(
      ids, (std::vector<UINT>{ID_OPEN_IN_EDITOR | kIsGrey, ID_START_MAILER | kIsGrey, 0,
                              ID_LIST_DELETE, ID_READ_UNREAD | kIsChecked, 0, ID_EDIT_SELECT_ALL}));
  EXPECT_TRUE(english->flags & kMailRemoved);
  EXPECT_EQ(window_->List().GetItemCount(), 1);
}

TEST_F(ListCommandsTest, ThePreviewsMenuOffersTheLinkOnlyWhenALinkIsSelected) {
  Add(kWithAttachment);
  OpenActive();
  Click(0, kColumnSubject);
  window_->ShowPreview(0);
  HWND pane = window_->Preview();
  auto menuFor = [&](CHARRANGE selection) {
    SendMessageW(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    std::vector<UINT> ids;
    ModalScript script({InMenu(&ids, {VK_ESCAPE})});
    SendMessageW(pane, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 5));
    SendMessageW(pane, WM_RBUTTONUP, 0, MAKELPARAM(30, 5));
    PumpUntil([&] { return script.Done(); }, 3000);
    PumpFor(100);
    return ids;
  };
  std::wstring text = PreviewText();
  const auto link = static_cast<LONG>(text.find(L"https://"));
  ASSERT_GT(link, 0);
  const LONG linkEnd =
      link + static_cast<LONG>(std::wstring(L"https://ci.example.jp/build/412").size());
  std::vector<UINT> onLink = menuFor({link, linkEnd});
  EXPECT_EQ(onLink, (std::vector<UINT>{ID_OPEN_IN_EDITOR | kIsGrey, ID_START_MAILER | kIsGrey, 0,
                                       ID_OPEN_LINK, ID_EDIT_COPY, ID_LIST_DELETE, ID_READ_UNREAD,
                                       0, ID_EDIT_SELECT_ALL}));
  std::vector<UINT> onText = menuFor({0, 3});
  EXPECT_EQ(onText[3], static_cast<UINT>(ID_EDIT_COPY)) << "no link item for plain text";
  std::vector<UINT> nothing = menuFor({5, 5});
  EXPECT_EQ(nothing[3], ID_EDIT_COPY | kIsGrey) << "copy is greyed without a selection";
  EXPECT_EQ(GetFocus(), pane) << "the pane has the focus for its commands";
}

TEST_F(ListCommandsTest, TheAttachmentCellOffersThePartAndTheDialogKeepsTheWindowOpen) {
  tempFolder_ =
      UserTempDirectory() + "postwink-cmds-" + std::to_string(GetCurrentProcessId()) + "\\";
  ASSERT_TRUE(PlatformSystem().files.CreateDirectory(tempFolder_));
  Add(kWithAttachment);
  Add(kEnglish);
  Open(false, 300, owner_.hwnd());
  SetFocus(nullptr);
  ASSERT_EQ(window_->List().Model().Cell(0, kColumnAttachment)->image, kImageAttachment);
  std::vector<UINT> ids;
  std::wstring question;
  bool aliveWhileOpen = false;
  ModalScript script({InMenu(&ids, {VK_DOWN, VK_RETURN}), [&] {
                        HWND dialog = FindDialog(L"添付ファイル");
                        if (!dialog) return false;
                        question = test::WindowText(GetDlgItem(dialog, IDC_ATTACH_QUESTION));
                        // Past the 300 ms auto-close and its first 2 s retry.
                        PumpFor(2600);
                        aliveWhileOpen = window_->IsAlive();
                        test::Press(dialog, IDCANCEL);
                        return true;
                      }});
  Click(0, kColumnAttachment);
  PumpUntil([&] { return script.Done(); }, 8000);
  EXPECT_EQ(ids, (std::vector<UINT>{32777}));
  EXPECT_EQ(question, L"ファイル (report.txt) を開きますか？\n名前を付けて保存しますか？");
  EXPECT_TRUE(aliveWhileOpen) << "the open dialog keeps the list";
  // Each opened attachment has a folder of its own ("a1", "a2", ...) inside the temporary folder.
  std::optional<std::string> written;
  for (int n = 1; n <= 100 && !written; ++n) {
    written =
        PlatformSystem().files.ReadAll(tempFolder_ + "a" + std::to_string(n) + "\\report.txt");
  }
  EXPECT_EQ(written, "ok 1\nok 2\n");
  // Closed, the dialog gives the list the front again.
  EXPECT_EQ(GetForegroundWindow(), window_->hwnd());
}

TEST_F(ListCommandsTest, TheListMayGoWhileItsAttachmentDialogIsOpen) {
  // As the hot key or applied settings close it: the dialog goes with it, nothing else breaks.
  tempFolder_ =
      UserTempDirectory() + "postwink-gone-" + std::to_string(GetCurrentProcessId()) + "\\";
  ASSERT_TRUE(PlatformSystem().files.CreateDirectory(tempFolder_));
  Add(kWithAttachment);
  OpenActive();
  std::vector<UINT> ids;
  ModalScript script({InMenu(&ids, {VK_DOWN, VK_RETURN}), [&] {
                        if (!FindDialog(L"添付ファイル")) return false;
                        window_.reset();
                        return true;
                      }});
  Click(0, kColumnAttachment);
  EXPECT_TRUE(PumpUntil([&] { return script.Done(); }, 8000));
  PumpFor(200);
  EXPECT_EQ(FindDialog(L"添付ファイル"), nullptr);
}

TEST_F(ListCommandsTest, ThePreviewPaneHasItsKeysAndCopiesItsSelection) {
  MailItem* english = Add(kEnglish, kMailRead);
  MailItem* japanese = Add(kJapanese);
  OpenActive();
  Click(RowOf(japanese), kColumnSubject);
  window_->ShowPreview(RowOf(japanese));
  HWND pane = window_->Preview();
  SetFocus(pane);
  Type('B', true);
  EXPECT_TRUE(japanese->flags & kMailRead) << "Ctrl+B in the pane acts on the selected row";
  Type('M', true);
  PumpFor(100);
  EXPECT_EQ(owner_.commands, (std::vector<UINT>{ID_START_MAILER}));

  // "コピー" of the pane's menu: past the greyed editor and mail program.
  CHARRANGE first{0, 4};
  SendMessageW(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&first));
  std::vector<UINT> ids;
  ModalScript script({InMenu(&ids, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN})});
  SendMessageW(pane, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 5));
  SendMessageW(pane, WM_RBUTTONUP, 0, MAKELPARAM(30, 5));
  ASSERT_TRUE(PumpUntil([&] { return script.Done(); }, 3000));
  PumpFor(100);
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  std::wstring copied = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"";
  if (data) GlobalUnlock(data);
  CloseClipboard();
  EXPECT_EQ(copied, PreviewText().substr(0, 4));

  SetFocus(pane);
  Type(VK_DELETE);
  EXPECT_TRUE(japanese->flags & kMailRemoved) << "Del in the pane removes the selected row";
  EXPECT_FALSE(english->flags & kMailRemoved);
}

// The shell's handler for https links, for one test: the recording program, which notes the
// address it is given. The system's own handler comes back afterwards.
class HttpsHandler {
 public:
  explicit HttpsHandler(const std::wstring& record) {
    SetEnvironmentVariableW(L"POSTWINK_EDITOR_RECORD", record.c_str());
    RegCreateKeyExW(HKEY_CLASSES_ROOT, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_,
                    nullptr);
    wchar_t old[1024];
    DWORD size = sizeof old;
    DWORD type = 0;
    if (RegQueryValueExW(key_, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(old), &size) ==
            ERROR_SUCCESS &&
        type == REG_SZ) {
      old_ = std::wstring(old, wcsnlen(old, size / sizeof(wchar_t)));
    }
    Set(L"\"" + Widen(POSTWINK_RECORD_EDITOR) + L"\" \"%1\"");
  }
  ~HttpsHandler() {
    if (old_) {
      Set(*old_);
    } else {
      RegDeleteValueW(key_, nullptr);
    }
    RegCloseKey(key_);
    SetEnvironmentVariableW(L"POSTWINK_EDITOR_RECORD", nullptr);
  }

 private:
  static constexpr const wchar_t* kKey = L"https\\shell\\open\\command";
  void Set(const std::wstring& command) {
    RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  }
  HKEY key_ = nullptr;
  std::optional<std::wstring> old_;
};

TEST_F(ListCommandsTest, ADoubleClickOnALinkHandsItToTheShell) {
  std::string record =
      UserTempDirectory() + "postwink-link-" + std::to_string(GetCurrentProcessId());
  HttpsHandler handler(Widen(record));
  Add(kWithAttachment);
  OpenActive();
  Click(0, kColumnSubject);
  window_->ShowPreview(0);
  PumpFor(100);
  HWND pane = window_->Preview();
  const auto link = static_cast<LPARAM>(PreviewText().find(L"https://"));
  POINTL at{};
  SendMessageW(pane, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), link + 4);
  LPARAM where = MAKELPARAM(at.x + 2, at.y + 4);
  SendMessageW(pane, WM_LBUTTONDOWN, MK_LBUTTON, where);
  SendMessageW(pane, WM_LBUTTONUP, 0, where);
  SendMessageW(pane, WM_LBUTTONDBLCLK, MK_LBUTTON, where);
  SendMessageW(pane, WM_LBUTTONUP, 0, where);
  FileSystem& files = PlatformSystem().files;
  ASSERT_TRUE(PumpUntil([&] { return files.Exists(record + ".cmdline"); }, 10000))
      << "the shell did not start the handler";
  EXPECT_NE(files.ReadAll(record + ".cmdline")->find("https://ci.example.jp/build/412"),
            std::string::npos);
  files.RemoveFile(record + ".cmdline");
  files.RemoveFile(record + ".file");
}

}  // namespace
}  // namespace postwink::win
