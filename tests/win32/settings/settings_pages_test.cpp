// What the pages do when the user works with them: accounts applied to the check engine, the
// refusals and questions, colour schemes, fonts, the message list page's rules, the filters.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "core/config/password.h"
#include "core/net/net_texts.h"
#include "core/settings_ui/settings_ui_texts.h"
#include "sheet_test_support.h"
#include "win32/checker_app.h"
#include "win32/resource.h"

namespace postwink::win {
namespace {

using test::ModalAnswerer;
using test::PumpFor;
using test::PumpUntil;
using test::Utf8;

class SettingsPages : public test::SheetTest {
 protected:
  std::vector<std::string> ComboItems(int id) {
    std::vector<std::string> items;
    HWND combo = Control(id);
    for (int i = 0; i < static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0)); ++i) {
      wchar_t text[256] = {};
      SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      items.push_back(Narrow(text));
    }
    return items;
  }
  // Fills the shown account's controls with a complete, enabled account.
  void TypeAccount(const std::string& server) {
    Type(IDC_ACCOUNT_SERVER, server);
    Type(IDC_ACCOUNT_USER, "me");
    Type(IDC_ACCOUNT_PASSWORD, "pw");
    SendMessageW(Control(IDC_ACCOUNT_ENABLE), BM_SETCHECK, BST_CHECKED, 0);
  }
};

TEST_F(SettingsPages, ApplyGivesTheAccountsToTheEngineAndTellsTheOwner) {
  Open(0);
  // Without accounts, an empty one is offered.
  EXPECT_EQ(ComboItems(IDC_ACCOUNT_MAILBOX), (std::vector<std::string>{"MAILBOX-1"}));
  EXPECT_EQ(Text(IDC_ACCOUNT_PORT), "110");
  EXPECT_EQ(Text(IDC_ACCOUNT_INTERVAL), "10");
  EXPECT_FALSE(IsDlgButtonChecked(Page(), IDC_ACCOUNT_ENABLE));
  // Filling the controls at opening is no change; typing is.
  HWND apply = GetDlgItem(sheet_->hwnd(), 0x3021);
  EXPECT_FALSE(IsWindowEnabled(apply));
  TypeAccount("pop.example.org");
  EXPECT_TRUE(IsWindowEnabled(apply));
  Type(IDC_ACCOUNT_MAILBOX, "mine");
  Press(PSBTN_APPLYNOW);
  EXPECT_EQ(owner_.applied, 1);
  ASSERT_EQ(engine_->Accounts().size(), 1u);
  const Account& a = *engine_->Accounts()[0];
  EXPECT_EQ(a.mailbox, "mine");
  EXPECT_EQ(a.server, "pop.example.org");
  EXPECT_EQ(a.user, "me");
  EXPECT_EQ(a.password, "pw");
  EXPECT_EQ(a.enabled, 1);
  EXPECT_EQ(a.port, 110);
  EXPECT_EQ(a.colour, settings_.st3Rgb);

  // A second Apply in the same sheet keeps the account the first one made.
  const Account* made = engine_->Accounts()[0].get();
  Type(IDC_ACCOUNT_SERVER, "pop2.example.org");
  Press(PSBTN_APPLYNOW);
  EXPECT_EQ(owner_.applied, 2);
  ASSERT_EQ(engine_->Accounts().size(), 1u);
  EXPECT_EQ(engine_->Accounts()[0].get(), made);
  EXPECT_EQ(made->server, "pop2.example.org");

  Press(PSBTN_OK);
  EXPECT_TRUE(sheet_->Ended());
  EXPECT_TRUE(sheet_->ClosedWithOk());
  EXPECT_EQ(sheet_->OkPageClassName(), "CPropertyPage1");
}

TEST_F(SettingsPages, AnIncompleteAccountOrAnUnstorablePasswordIsRefusedAndNothingApplied) {
  struct Case {
    const char* password;
    std::string message;
  } cases[] = {
      {"", texts::kIncompleteAccount}, {"パス", CheckPasswordStorable("パス").error},  // "パス"
  };
  for (const Case& c : cases) {
    engine_.reset();
    Open(2);
    Choose(IDC_ACCOUNT_MAILBOX, 1);
    Type(IDC_ACCOUNT_PASSWORD, c.password);
    Type(IDC_ACCOUNT_SERVER, "changed");
    Choose(IDC_ACCOUNT_MAILBOX, 0);  // the refused account is shown again
    ModalAnswerer boxes({ModalAnswerer::Press(IDOK)});
    Press(PSBTN_OK);
    ASSERT_EQ(boxes.Answered(), 1u);
    EXPECT_NE(boxes.Texts()[0].find(c.message), std::string::npos) << boxes.Texts()[0];
    EXPECT_FALSE(sheet_->Ended());
    EXPECT_FALSE(sheet_->ClosedWithOk());
    EXPECT_EQ(owner_.applied, 0);
    EXPECT_EQ(engine_->Accounts()[1]->server, "pop1");
    EXPECT_EQ(Text(IDC_ACCOUNT_MAILBOX), "box1");
    Press(PSBTN_CANCEL);
    ASSERT_TRUE(sheet_->Ended());
  }
}

TEST_F(SettingsPages, ASecureAccountChoosesItsModePortAndPinnedCertificate) {
  Open(1);
  EXPECT_EQ(ComboItems(IDC_ACCOUNT_SECURITY),
            (std::vector<std::string>{Utf8(u8"なし"), "TLS (POP3S)", "STLS"}));
  EXPECT_EQ(Text(IDC_ACCOUNT_SECURITY), Utf8(u8"なし"));
  Choose(IDC_ACCOUNT_SECURITY, 1);
  EXPECT_EQ(Text(IDC_ACCOUNT_PORT), "995");
  Choose(IDC_ACCOUNT_SECURITY, 2);
  EXPECT_EQ(Text(IDC_ACCOUNT_PORT), "110");
  Type(IDC_ACCOUNT_FINGERPRINT, "AB:CD");
  {
    ModalAnswerer boxes({ModalAnswerer::Press(IDOK)});
    Press(PSBTN_APPLYNOW);
    ASSERT_EQ(boxes.Answered(), 1u);
    EXPECT_NE(boxes.Texts()[0].find(texts::kFingerprintInvalid), std::string::npos);
  }
  EXPECT_EQ(owner_.applied, 0);
  EXPECT_EQ(engine_->Accounts()[0]->security, 0);
  const std::string pin(64, 'a');
  Type(IDC_ACCOUNT_FINGERPRINT, pin);
  Press(PSBTN_APPLYNOW);
  EXPECT_EQ(owner_.applied, 1);
  EXPECT_EQ(engine_->Accounts()[0]->security, 2);
  EXPECT_EQ(engine_->Accounts()[0]->tlsFingerprint, pin);
}

// IMAP brings its port, folders and push with it; APOP is POP3's own and goes grey.
TEST_F(SettingsPages, ChoosingImapProposesItsPortAndOffersFoldersAndPush) {
  Open(1);
  EXPECT_EQ(ComboItems(IDC_ACCOUNT_PROTOCOL), (std::vector<std::string>{"POP3", "IMAP"}));
  EXPECT_EQ(Text(IDC_ACCOUNT_PROTOCOL), "POP3");
  EXPECT_FALSE(Enabled(IDC_ACCOUNT_FOLDERS));
  EXPECT_FALSE(Enabled(IDC_ACCOUNT_PUSH));
  EXPECT_TRUE(Enabled(IDC_ACCOUNT_APOP));
  Choose(IDC_ACCOUNT_PROTOCOL, 1);
  EXPECT_EQ(Text(IDC_ACCOUNT_PORT), "143");
  EXPECT_TRUE(Enabled(IDC_ACCOUNT_FOLDERS));
  EXPECT_TRUE(Enabled(IDC_ACCOUNT_PUSH));
  EXPECT_FALSE(Enabled(IDC_ACCOUNT_APOP));
  EXPECT_EQ(Text(IDC_ACCOUNT_FOLDERS), "INBOX");
  EXPECT_EQ(SendMessageW(Control(IDC_ACCOUNT_PUSH), BM_GETCHECK, 0, 0), BST_CHECKED);
  Choose(IDC_ACCOUNT_SECURITY, 1);
  EXPECT_EQ(Text(IDC_ACCOUNT_PORT), "993");
  Type(IDC_ACCOUNT_FOLDERS, "INBOX, Lists");
  SendMessageW(Control(IDC_ACCOUNT_PUSH), BM_SETCHECK, BST_UNCHECKED, 0);
  Press(PSBTN_APPLYNOW);
  ASSERT_EQ(owner_.applied, 1);
  const Account& applied = *engine_->Accounts()[0];
  EXPECT_EQ(applied.protocol, kProtocolImap);
  EXPECT_EQ(applied.port, 993);
  EXPECT_EQ(applied.security, 1);
  EXPECT_EQ(applied.folders, "INBOX, Lists");
  EXPECT_EQ(applied.push, 0);
  // And back: POP3 takes its own port again and the IMAP fields go grey.
  Choose(IDC_ACCOUNT_PROTOCOL, 0);
  EXPECT_EQ(Text(IDC_ACCOUNT_PORT), "995");
  EXPECT_FALSE(Enabled(IDC_ACCOUNT_FOLDERS));
}

TEST_F(SettingsPages, NewAccountsAreNumberedUpToTenAndDeletingAsksFirst) {
  Open(2);
  Click(IDC_ACCOUNT_NEW);
  EXPECT_EQ(Text(IDC_ACCOUNT_MAILBOX), "MAILBOX-3");
  for (int i = 4; i <= 10; ++i) Click(IDC_ACCOUNT_NEW);
  EXPECT_EQ(ComboItems(IDC_ACCOUNT_MAILBOX).size(), 10u);
  {
    ModalAnswerer boxes({ModalAnswerer::Press(IDOK)});
    Click(IDC_ACCOUNT_NEW);
    ASSERT_EQ(boxes.Answered(), 1u);
    EXPECT_NE(boxes.Texts()[0].find(texts::kTooManyAccounts), std::string::npos);
  }
  EXPECT_EQ(ComboItems(IDC_ACCOUNT_MAILBOX).size(), 10u);

  Choose(IDC_ACCOUNT_MAILBOX, 1);
  {
    ModalAnswerer boxes({ModalAnswerer::Press(IDNO), ModalAnswerer::Press(IDYES)});
    Click(IDC_ACCOUNT_DELETE);
    EXPECT_EQ(ComboItems(IDC_ACCOUNT_MAILBOX).size(), 10u);
    Click(IDC_ACCOUNT_DELETE);
    ASSERT_EQ(boxes.Answered(), 2u);
    EXPECT_NE(boxes.Texts()[0].find(texts::kDeleteAccountQuestion), std::string::npos);
  }
  EXPECT_EQ(ComboItems(IDC_ACCOUNT_MAILBOX)[1], "MAILBOX-3");
  EXPECT_EQ(Text(IDC_ACCOUNT_MAILBOX), "MAILBOX-3");  // the one that took its place
  Press(PSBTN_APPLYNOW);
  EXPECT_EQ(engine_->Accounts().size(), 9u);
  EXPECT_EQ(engine_->Accounts()[0]->mailbox, "box0");
  EXPECT_EQ(engine_->Accounts()[1]->mailbox, "MAILBOX-3");
}

TEST_F(SettingsPages, ANumberOutOfRangeKeepsTheUserOnThePage) {
  Open(1);
  Type(IDC_ACCOUNT_INTERVAL, "0");
  {
    ModalAnswerer boxes({ModalAnswerer::Press(IDOK)});
    ShowPage(2);
    ASSERT_EQ(boxes.Answered(), 1u);
    char expected[160];
    std::snprintf(expected, sizeof expected, texts::kIntegerRange, 1, 10000);
    EXPECT_NE(boxes.Texts()[0].find(expected), std::string::npos);
  }
  EXPECT_EQ(sheet_->ActivePage(), 0);
  EXPECT_EQ(GetFocus(), Control(IDC_ACCOUNT_INTERVAL));
  Type(IDC_ACCOUNT_INTERVAL, "5");
  ShowPage(2);
  EXPECT_EQ(sheet_->ActivePage(), 2);
  Type(IDC_LIST_OPEN_SECONDS, "601");
  {
    ModalAnswerer boxes({ModalAnswerer::Press(IDOK)});
    Press(PSBTN_APPLYNOW);
    EXPECT_EQ(boxes.Answered(), 1u);
  }
  EXPECT_EQ(owner_.applied, 0);
  EXPECT_EQ(settings_.dispSec, 10);
}

// Choosing another account while a number of the shown one is refused keeps that account shown
// with everything typed into it.
TEST_F(SettingsPages, ARefusedNumberKeepsTheShownAccountAndItsEditsWhenAnotherIsChosen) {
  Open(2);
  Type(IDC_ACCOUNT_SERVER, "typed.example.org");
  Type(IDC_ACCOUNT_PORT, "99999");
  {
    ModalAnswerer boxes({ModalAnswerer::Press(IDOK)});
    Choose(IDC_ACCOUNT_MAILBOX, 1);
    ASSERT_EQ(boxes.Answered(), 1u);
  }
  EXPECT_EQ(Text(IDC_ACCOUNT_MAILBOX), "box0");
  EXPECT_EQ(SendMessageW(Control(IDC_ACCOUNT_MAILBOX), CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(Text(IDC_ACCOUNT_SERVER), "typed.example.org");
  EXPECT_EQ(Text(IDC_ACCOUNT_PORT), "99999");
  Type(IDC_ACCOUNT_PORT, "110");
  Choose(IDC_ACCOUNT_MAILBOX, 1);
  EXPECT_EQ(Text(IDC_ACCOUNT_MAILBOX), "box1");
  Choose(IDC_ACCOUNT_MAILBOX, 0);
  EXPECT_EQ(Text(IDC_ACCOUNT_SERVER), "typed.example.org");
}

TEST_F(SettingsPages, MessageListButtonsEnableTheirFieldsAndApplyTheBits) {
  settings_.autoClose = 0;
  Open(1, 2);
  EXPECT_TRUE(IsDlgButtonChecked(Page(), IDC_LIST_BOTTOM_RIGHT));
  EXPECT_TRUE(IsDlgButtonChecked(Page(), IDC_LIST_VERTICAL));
  EXPECT_TRUE(Enabled(IDC_LIST_FADE));
  EXPECT_TRUE(Enabled(IDC_LIST_HORIZONTAL));
  EXPECT_FALSE(Enabled(IDC_LIST_OPEN_SECONDS));
  EXPECT_FALSE(Enabled(IDC_LIST_OPEN_LABEL));
  EXPECT_TRUE(Enabled(IDC_LIST_PREVIEW_HEIGHT));

  Click(IDC_LIST_FADE);
  EXPECT_FALSE(Enabled(IDC_LIST_DIRECTION_GROUP));
  EXPECT_FALSE(Enabled(IDC_LIST_VERTICAL));
  Click(IDC_LIST_AUTOCLOSE);
  EXPECT_TRUE(Enabled(IDC_LIST_OPEN_SECONDS));
  EXPECT_TRUE(Enabled(IDC_LIST_OPEN_UNIT));
  Click(IDC_LIST_PREVIEW);
  EXPECT_FALSE(Enabled(IDC_LIST_PREVIEW_HEIGHT));
  Click(IDC_LIST_TOP_LEFT);
  Click(IDC_LIST_VERTICAL_LINES);
  Type(IDC_LIST_DRAW_MS, "250");
  Press(PSBTN_OK);
  ASSERT_TRUE(sheet_->Ended());
  EXPECT_EQ(settings_.showStyle, 4 | 2);  // fade, the direction as it was
  EXPECT_EQ(settings_.autoClose, 1);
  EXPECT_EQ(settings_.preview, 0);
  EXPECT_EQ(settings_.dispPos, 0);
  EXPECT_EQ(settings_.grid, 16 | 32);
  EXPECT_EQ(settings_.drawSec, 250);
  EXPECT_EQ(sheet_->OkPageClassName(), "CPropertyPage3");

  // Windows 98 and Me have no fade.
  Open(1, 2, true);
  EXPECT_FALSE(Enabled(IDC_LIST_FADE));
}

TEST_F(SettingsPages, AColourChangedAfterChoosingASchemeStarsItAndApplyStoresIt) {
  const std::string dir = UserTempDirectory() + "postwink-sheet-test\\";
  std::filesystem::create_directories(std::filesystem::path(dir));
  {
    std::ofstream list(std::filesystem::path(dir + "ColorList.ini"), std::ios::binary);
    list << "[COLOR_LIST]\r\nBlue=FFFFFF 000000 0000FF 000080 C0C0FF\r\n";
  }
  programDirectory_ = dir;
  Open(1, 1);
  EXPECT_EQ(ComboItems(IDC_DISPLAY_SCHEME), (std::vector<std::string>{"ORIGINAL", "Blue"}));
  Choose(IDC_DISPLAY_SCHEME, 1);
  // A colour chosen in the subject button's palette: the cell after the scheme's blue. The
  // mouse is kept away, so that the pop-up does not take the cell under it for a choice.
  test::MoveMouseTo({0, 0});
  PumpFor(50);
  SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(IDC_DISPLAY_SUBJECT, BN_CLICKED),
               reinterpret_cast<LPARAM>(Control(IDC_DISPLAY_SUBJECT)));
  HWND popup = FindWindowW(L"PostwinkColourPopup", nullptr);
  ASSERT_NE(popup, nullptr);
  for (WPARAM key : {VK_RIGHT, VK_RETURN}) {
    PostMessageW(popup, WM_KEYDOWN, key, 0);
    PumpFor(30);
  }
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(popup); }, 2000));
  EXPECT_EQ(ComboItems(IDC_DISPLAY_SCHEME), (std::vector<std::string>{"Blue*", "Blue"}));
  EXPECT_EQ(Text(IDC_DISPLAY_SCHEME), "Blue*");
  Press(PSBTN_APPLYNOW);
  EXPECT_EQ(settings_.colList, "Blue*");
  EXPECT_EQ(settings_.bgRgb, 0xFFFFFF);
  EXPECT_EQ(settings_.st1Rgb, 0);
  EXPECT_EQ(settings_.st2Rgb, 0xC07B7B);  // blue-grey, not the scheme's blue
  EXPECT_EQ(settings_.st3Rgb, 0x800000);
  EXPECT_EQ(settings_.selRgb, 0xFFC0C0);
  EXPECT_EQ(settings_.preRgb, 0x800000);
  EXPECT_EQ(settings_.prebgRgb, 0xFFFFFF);
  Press(PSBTN_CANCEL);
  std::filesystem::remove_all(std::filesystem::path(dir));
}

TEST_F(SettingsPages, FontListsHoldJapaneseFacesAndTheirSizes) {
  Open(1, 1);
  std::vector<std::string> faces = ComboItems(IDC_DISPLAY_FACE);
  ASSERT_FALSE(faces.empty());
  for (const std::string& face : faces) EXPECT_NE(face.front(), '@') << face;
  EXPECT_EQ(ComboItems(IDC_DISPLAY_PREVIEW_FACE), faces);
  bool hasIpa = false;
  for (const std::string& face : faces) hasIpa = hasIpa || face.starts_with("IPA");
  EXPECT_TRUE(hasIpa);  // the Japanese fonts of the test machine
  EXPECT_NE(SendMessageW(Control(IDC_DISPLAY_FACE), CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(ComboItems(IDC_DISPLAY_SIZE).size(), 16u);
  EXPECT_EQ(Text(IDC_DISPLAY_SIZE), "9");

  // A size kept across a change of face, and applied.
  Choose(IDC_DISPLAY_SIZE, 5);  // 14
  Choose(IDC_DISPLAY_FACE, static_cast<int>(faces.size()) - 1);
  EXPECT_EQ(Text(IDC_DISPLAY_SIZE), "14");
  Press(PSBTN_APPLYNOW);
  EXPECT_EQ(settings_.fontSize, 14);
  EXPECT_EQ(settings_.fontName, faces.back());
  EXPECT_EQ(settings_.fontSizePreview, 9);
}

TEST_F(SettingsPages, OtherAndAdvancePagesApplyTheirSettings) {
  settings_.advance = 1;
  settings_.hotKey = (0x41 << 16) | 4;  // Alt+A
  settings_.useSound = 1;
  Open(1, 4);
  EXPECT_EQ(SendMessageW(Control(IDC_OTHER_HOTKEY), HKM_GETHOTKEY, 0, 0), 0x0441);
  SendMessageW(Control(IDC_OTHER_HOTKEY), HKM_SETHOTKEY, 0x0370, 0);  // Ctrl+Shift+F1
  Click(IDC_OTHER_USE_SOUND);
  EXPECT_FALSE(Enabled(IDC_OTHER_SOUND_FILE));
  Type(IDC_OTHER_MUA, "C:\\mail\\mailer.exe");
  Click(IDC_OTHER_SERVER_SYN);
  Click(IDC_OTHER_NOTIFY_CENTRE);
  Click(IDC_OTHER_TRAY_COUNT);
  ShowPage(5);
  Click(IDC_ADVANCE_LOG);
  Press(PSBTN_OK);
  ASSERT_TRUE(sheet_->Ended());
  EXPECT_EQ(settings_.hotKey, (0x70 << 16) | 3);
  EXPECT_EQ(settings_.useSound, 0);
  EXPECT_EQ(settings_.mua, "C:\\mail\\mailer.exe");
  EXPECT_EQ(settings_.serverSyn, 1);
  EXPECT_EQ(settings_.notifyCentre, 1);
  EXPECT_EQ(settings_.trayCount, 1);
  EXPECT_EQ(settings_.log, 1);
  EXPECT_EQ(sheet_->OkPageClassName(), "CPropertyPageA");
}

TEST_F(SettingsPages, StartWithWindowsWritesAndRemovesTheRunEntry) {
  const std::string ours = "\"" + RunningProgramPath() + "\"";
  const std::string other = "\"D:\\Old copy\\Postwink.exe\"";
  ASSERT_TRUE(runKey_.Write(other));
  // Another copy's entry is not ours: shown off, and left alone by an Apply.
  Open(1, 4);
  EXPECT_FALSE(IsDlgButtonChecked(Page(), IDC_OTHER_START_WINDOWS));
  Click(IDC_OTHER_SERVER_SYN);
  Press(PSBTN_APPLYNOW);
  EXPECT_EQ(runKey_.Read(), other);
  Click(IDC_OTHER_START_WINDOWS);
  Press(PSBTN_OK);
  ASSERT_TRUE(sheet_->Ended());
  EXPECT_EQ(runKey_.Read(), ours);

  Open(1, 4);
  EXPECT_TRUE(IsDlgButtonChecked(Page(), IDC_OTHER_START_WINDOWS));
  Click(IDC_OTHER_START_WINDOWS);
  Press(PSBTN_APPLYNOW);
  EXPECT_EQ(runKey_.Read(), std::nullopt);
  Press(PSBTN_CANCEL);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\PostwinkTest");
}

TEST_F(SettingsPages, BrowseButtonsOfferTheirKindOfFile) {
  Open(1, 4);
  struct Case {
    int button;
    const char8_t* filter;
  } cases[] = {
      {IDC_OTHER_BROWSE_SOUND, u8"WAV Files (*.wav)"},
      {IDC_OTHER_BROWSE_EDITOR, u8"EXE Files (*.exe)"},
      {IDC_OTHER_BROWSE_MUA, u8"EXE Files (*.exe)"},
  };
  for (const Case& c : cases) {
    ModalAnswerer boxes({ModalAnswerer::Press(IDCANCEL)});
    Click(c.button);
    ASSERT_EQ(boxes.Answered(), 1u);
    EXPECT_NE(boxes.Texts()[0].find(Utf8(c.filter)), std::string::npos) << boxes.Texts()[0];
  }
}

TEST_F(SettingsPages, CancelKeepsWhatApplyHadTakenAndDropsTheRest) {
  Open(1, 4);
  Click(IDC_OTHER_START_RUN);
  Press(PSBTN_APPLYNOW);
  EXPECT_EQ(settings_.startRun, 0);
  Click(IDC_OTHER_SERVER_SYN);
  Press(PSBTN_CANCEL);
  ASSERT_TRUE(sheet_->Ended());
  EXPECT_FALSE(sheet_->ClosedWithOk());
  EXPECT_EQ(settings_.startRun, 0);
  EXPECT_EQ(settings_.serverSyn, 0);
}

}  // namespace
}  // namespace postwink::win
