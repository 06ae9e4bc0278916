// MainDialog as the host of the check engine: timers, tray pictures and tool tip, message
// boxes, sound, the mail program, the hot key, and the parser behind the session.
#include "main_dialog.h"

#include <mmsystem.h>
#include <shellapi.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "core/check/hot_key.h"
#include "core/check/unread_counts.h"
#include "core/config/settings_file.h"
#include "core/list/list_behaviour.h"
#include "core/oauth/oauth_settings.h"
#include "win32/checker_app.h"
#include "win32/list/export_message.h"
#include "win32/main_dialog_texts.h"
#include "win32/texts.h"
#include "win32/tray_area_win.h"
#include "win32/wide_text.h"

namespace postwink::win {

void MainDialog::CreateEngine() {
  Settings& settings = app_.GetSettings();
  System& system = app_.GetSystem();
  transport_ = std::make_unique<WinsockTransport>(hwnd());
  // Messages are dumped into the temporary folder only when there is a log to go with them.
  items_ = std::make_unique<ItemFactory>(system, PlatformCharsetConverter(), PlatformTimeZone(),
                                         settings, app_.TempFolder(),
                                         settings.log != 0 && !app_.Log().Path().empty());
  oauth_ = std::make_unique<WinOAuthPlatform>(system.files, app_.ProgramDir() + kTokenFileName);
  tokens_ = std::make_unique<TokenProvider>(oauth_->Get(), system.clock);
  engine_ = std::make_unique<CheckEngine>(*this, *transport_, settings,
                                          LoadEngineAccounts(app_.GetSettingsFile(), settings));
  engine_->SetVerbose(app_.Verbose());
  engine_->SetTokenProvider(tokens_.get());
}

void MainDialog::SignInNeeded(int position) {
  // The browser opens once per sign-in and run, not at every check that fails for it; the
  // accounts page's button is there for the rest.
  const auto& accounts = engine_->Accounts();
  if (position < 0 || position >= static_cast<int>(accounts.size()) || tokens_->SigningIn()) {
    return;
  }
  std::optional<OAuthSettings> oauth = OAuthSettingsOf(FieldsOf(*accounts[position]));
  if (!oauth || !oauth->tokenCommand.empty() || OAuthSettingsProblem(*oauth) != nullptr ||
      !signInOffered_.insert(TokenStoreKey(*oauth)).second) {
    return;
  }
  tokens_->BeginSignIn(*oauth, [this](SignInOutcome outcome) {
    if (outcome.ok && engine_->CanCheckNow()) engine_->CheckNow();
  });
}

void MainDialog::StartTimer(CheckTimer timer, int periodMs) {
  SetTimer(hwnd(), static_cast<UINT_PTR>(timer), static_cast<UINT>(std::max(periodMs, 1)), nullptr);
}

void MainDialog::StopTimer(CheckTimer timer) { KillTimer(hwnd(), static_cast<UINT_PTR>(timer)); }

void MainDialog::SetTrayFrames(TrayFrames frames) {
  const IconSet& icons = app_.Icons();
  Tray().SetFrames(IconSet::Handles(frames == TrayFrames::kReceiving ? icons.receivingFrames
                                                                     : icons.newMailFrames));
}

void MainDialog::StartTrayAnimation(int msPerFrame) {
  Tray().StartAnimation(static_cast<UINT>(msPerFrame), -1);
}

void MainDialog::StopTrayAnimation() {
  Tray().StopAnimation();
  RefreshCountPicture();
}

HICON MainDialog::TrayPicture(TrayIcon icon) const {
  return icon == TrayIcon::kError ? app_.Icons().error.get() : NormalPicture();
}

void MainDialog::AddTrayFrame(TrayIcon icon) { Tray().AddFrame(TrayPicture(icon)); }

void MainDialog::SetTrayIcon(TrayIcon icon) { Tray().SetIcon(TrayPicture(icon)); }

void MainDialog::SetToolTip(const std::string& text) {
  if (!engine_) {
    Tray().SetTooltipText(text);
    return;
  }
  Tray().SetTooltipText(
      TipWithUnreadCounts(text, CountUnread(engine_->List(), engine_->Accounts()), kTrayTipUnits));
  RefreshCountPicture();
}

void MainDialog::ShowErrorBox(const std::string& text, const std::string& caption) {
  if (errorBoxes_.Push({text, caption})) PostMessageW(hwnd(), WM_SHOW_ERROR_BOX, 0, 0);
}

void MainDialog::ShowNextErrorBox() {
  std::optional<ErrorBox> box = errorBoxes_.Begin();
  if (!box) return;
  MessageBoxW(hwnd(), Widen(box->text).c_str(), Widen(box->caption).c_str(), MB_OK | MB_ICONERROR);
  if (errorBoxes_.End()) PostMessageW(hwnd(), WM_SHOW_ERROR_BOX, 0, 0);
}

void MainDialog::PlaySoundFile(const std::string& path) {
  if (WithholdsAnnouncements(CurrentAttention())) return;
  PlaySoundW(Widen(path).c_str(), nullptr, SND_FILENAME | SND_ASYNC);
}

bool MainDialog::InternetConnected() { return NetworkUsable(); }

bool MainDialog::ListWindowOpen() { return listWnd_ && listWnd_->IsAlive(); }

void MainDialog::RefreshListWindow(bool raise) {
  if (!ListWindowOpen()) return;
  listWnd_->Fill(engine_->List(), false);
  listWnd_->FitToContent();
  if (raise && AdmitListAnnouncement()) RaiseListWindow();
}

void MainDialog::RaiseListWindow() {
  // Out of the top-most band and back in: above whatever went top-most since.
  const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  SetWindowPos(listWnd_->hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, flags);
  SetWindowPos(listWnd_->hwnd(), HWND_TOPMOST, 0, 0, 0, 0, flags);
}

void MainDialog::ShowNewListWindow() {
  if (AdmitListAnnouncement()) CreateListWindow(kListWindowNewMailExStyle, false);
}

void MainDialog::SetListWindowTopMost(bool topMost) {
  if (!ListWindowOpen()) return;
  SetWindowPos(listWnd_->hwnd(), topMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void MainDialog::CreateListWindow(DWORD exStyle, bool activate) {
  // A previous object whose window has gone is deleted first.
  listWnd_.reset();
  Settings& settings = app_.GetSettings();
  System& system = app_.GetSystem();
  if (!profile_) {
    SettingsFile& file = app_.GetSettingsFile();
    profile_ = std::make_unique<IniFileProfile>(system.files, system.codePage, file.Path(),
                                                file.Unreadable());
  }
  ListWindowContext context{settings,
                            *profile_,
                            CharsetContext{system.codePage, PlatformCharsetConverter()},
                            [this] { AcknowledgeNewMail(); },
                            [] {
                              ScreenRect r = CurrentTrayArea();
                              return Rect{r.left, r.top, r.right, r.bottom};
                            },
                            app_.TempFolder(),
                            [this](std::string_view text) { Log(text); },
                            tokens_.get()};
  std::vector<uint32_t> colours;
  for (const auto& account : engine_->Accounts()) {
    colours.push_back(static_cast<uint32_t>(account->colour));
  }
  listWnd_ = std::make_unique<MessageListWnd>(std::move(context));
  listWnd_->Create(hwnd(), engine_->List(), colours, kListWindowStyle, exStyle,
                   AutoCloseMs(settings.dispSec), activate);
}

void MainDialog::CloseListWindow() {
  if (ListWindowOpen()) SendMessageW(listWnd_->hwnd(), WM_CLOSE, 0, 0);
  listWnd_.reset();
}

void MainDialog::ToggleListWindow() {
  if (listWnd_ && listWnd_->Creating()) return;
  if (ListWindowOpen()) {
    HWND list = listWnd_->hwnd();
    const bool topMost = (GetWindowLongPtrW(list, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (topMost || GetForegroundWindow() == list) {
      CloseListWindow();
    } else {
      // Covered by other windows: brought to the front.
      SetForegroundWindow(hwnd());
      SetForegroundWindow(list);
    }
  } else {
    listWnd_.reset();
    SetForegroundWindow(hwnd());
    CreateListWindow(kListWindowUserExStyle, true);
  }
  AcknowledgeNewMail();
}

void MainDialog::ShowOrHideList() {
  if (ListWindowOpen()) {
    CloseListWindow();
  } else {
    ToggleListWindow();
  }
  AcknowledgeNewMail();
}

void MainDialog::LogSeparator(std::string_view label) { app_.Log().LogSeparator(label); }

void MainDialog::Log(std::string_view text) { app_.Log().LogLine(text); }

int64_t MainDialog::MonotonicMs() { return app_.GetSystem().clock.MonotonicMs(); }

void MainDialog::RefilterItem(MailItem& item) { items_->RefilterItem(item); }

std::unique_ptr<MailItem> MainDialog::BuildItem(Account& account, std::string_view text,
                                                std::optional<std::string_view> sizeText) {
  return items_->BuildItem(account, text, sizeText);
}

std::string MainDialog::Identity(std::string_view text) { return items_->Identity(text); }

void MainDialog::OnStatReply() { items_->RefreshZone(); }

void MainDialog::OpenSettings() {
  if (sheet_ != nullptr) {
    if (sheet_->hwnd() != nullptr && IsWindowVisible(sheet_->hwnd())) {
      SetForegroundWindow(sheet_->hwnd());
    }
    return;
  }
  CMyPropertySheet sheet({app_.GetSettings(), *engine_, app_.ProgramDir(), app_.Windows98OrMe(),
                          startPage_.StartPage(), hwnd(), RunKey(), tokens_.get()});
  sheet_ = &sheet;
  const bool ok = sheet.RunModal();
  sheet_ = nullptr;
  if (exitAfterSheet_) {
    PostMessageW(hwnd(), WM_CLOSE, 0, 0);
    return;
  }
  if (!ok) return;
  startPage_.RememberOk(sheet.OkPageClassName());
  SaveAccountsResult saved =
      app_.GetSettingsFile().SaveSettingsAndAccounts(app_.GetSettings(), engine_->Accounts());
  if (saved.ok) {
    accountsUnsaved_ = false;
  } else {
    MessageBoxW(hwnd(), Widen(saved.error).c_str(), Widen(kTextProgramName).c_str(),
                MB_OK | MB_ICONEXCLAMATION);
  }
  ApplySettings();
}

void MainDialog::ApplySettings() {
  // The open list is closed before items of deleted accounts go, so that it never shows one,
  // and opened again afterwards with every new setting.
  const bool reopen = ListWindowOpen();
  if (reopen) CloseListWindow();
  engine_->ApplySettings();
  // Deleted and changed accounts' connections were closed; each push account opens its own.
  RunPushConnections();
  if (reopen) ShowOrHideList();
  UnregisterListHotKey();
  // A 0 value means no hot key, after Apply as at start-up.
  int hotKey = app_.GetSettings().hotKey;
  if (hotKey != 0) RegisterListHotKey(hotKey);
}

void MainDialog::UnregisterListHotKey() {
  if (hotKeyRegistered_) UnregisterHotKey(hwnd(), kListHotKeyId);
  hotKeyRegistered_ = false;
}

void MainDialog::RegisterListHotKey(int value) {
  UnregisterListHotKey();
  HotKeyCombination combination = HotKeyFromSetting(value);
  // Systems before Windows 7 refuse the no-repeat flag; the key then repeats, but works.
  for (UINT modifiers : {combination.modifiers, combination.modifiers & ~kHotKeyNoRepeat}) {
    if (RegisterHotKey(hwnd(), kListHotKeyId, modifiers, combination.virtualKey)) {
      hotKeyRegistered_ = true;
      return;
    }
  }
  MessageBoxW(hwnd(), Widen(kTextHotKeyFailed).c_str(), Widen(kTextProgramName).c_str(),
              MB_OK | MB_ICONEXCLAMATION);
}

void MainDialog::StartMailProgram() {
  const std::string& mua = app_.GetSettings().mua;
  if (mua.empty()) return;
  HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  HINSTANCE result =
      ShellExecuteW(hwnd(), L"open", Widen(mua).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  SetCursor(previous);
  auto code = reinterpret_cast<INT_PTR>(result);
  if (code > 32) return;
  char text[96];
  std::snprintf(text, sizeof text, kTextMailerFailed, static_cast<int>(code));
  MessageBoxW(hwnd(), Widen(text).c_str(), Widen(kTextProgramName).c_str(),
              MB_OK | MB_ICONEXCLAMATION);
}

void MainDialog::OpenInEditor(const MailItem* item) {
  SetListWindowTopMost(false);
  // The item may have left the list since the request was posted.
  if (!engine_->List().Contains(item)) return;
  System& system = app_.GetSystem();
  TempFolder folder{system.files, app_.TempFolder(), system.codePage};
  ExportMessage(hwnd(), *item, app_.GetSettings().editor, folder,
                CharsetContext{system.codePage, PlatformCharsetConverter()});
}

void MainDialog::ShowUpdateNotice() {
  {
    std::lock_guard<std::mutex> lock(update_->mutex);
    updateNoticePath_ = update_->downloadedPath;
  }
  if (updateNoticePath_.empty()) return;
  std::optional<std::string> text = app_.GetSystem().files.ReadAll(updateNoticePath_);
  if (!text || text->empty()) return;
  std::string size = std::to_string(text->size());
  engine_->AddUpdateItem(items_->BuildItem(engine_->UpdateAccount(), *text, size));
}

}  // namespace postwink::win
