#pragma once
// MainDialog: the program's main window. It is never shown; it owns the tray icon and the
// timers, receives the socket messages and the menu commands, and hosts the check engine.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/check/announcement_gate.h"
#include "core/check/check_engine.h"
#include "core/check/check_host.h"
#include "core/check/error_box_queue.h"
#include "core/check/item_factory.h"
#include "core/check/reconnect_planner.h"
#include "core/config/account.h"
#include "core/config/profile.h"
#include "core/settings_ui/sheet_pages.h"
#include "win32/about_box.h"
#include "win32/handles.h"
#include "win32/icon_set.h"
#include "win32/list/message_list_wnd.h"
#include "win32/network_change_watcher.h"
#include "win32/platform/oauth_platform_win32.h"
#include "win32/platform/winsock_transport.h"
#include "win32/settings/property_sheet.h"
#include "win32/system_tray.h"
#include "win32/update_check.h"
#include "win32/window_messages.h"
#include "win32/wnd.h"

namespace postwink::win {

class CheckerApp;

inline constexpr UINT_PTR TIMER_CHECK_STEP = 4;
inline constexpr UINT_PTR TIMER_MINUTE = 6;
inline constexpr UINT_PTR TIMER_SERVER_TIMEOUT = 7;
inline constexpr UINT_PTR TIMER_UPDATE_CHECK = 8;
// While new mail waits for the user to be available again.
inline constexpr UINT_PTR TIMER_ATTENTION = 9;
inline constexpr UINT kAttentionPollMs = 2000;
// After a resume or a network change, until the network is usable or the wait is over.
inline constexpr UINT_PTR TIMER_RECONNECT = 10;
inline constexpr UINT kReconnectPollMs = 1000;
// Runs the push connections' deadlines, IDLE renewals and retries while any is open.
inline constexpr UINT_PTR TIMER_PUSH = 11;
inline constexpr UINT kPushTickMs = 250;
// Posted to itself: the next error box of the check engine (see ErrorBoxQueue).
inline constexpr UINT WM_SHOW_ERROR_BOX = WM_APP + 0x10;
// Posted by tools and tests: wParam the shell's attention value (1-7) to assume from now on in
// place of asking the shell, 0 to ask it again.
inline constexpr UINT WM_ASSUME_ATTENTION = WM_APP + 0x11;
// Posted by the network change watcher: the machine's addresses changed.
inline constexpr UINT WM_NETWORK_CHANGED = WM_APP + 0x12;
// Posted by tools and tests: wParam 1 assumes the network usable, 2 down, 0 asks the system
// again.
inline constexpr UINT WM_ASSUME_NETWORK = WM_APP + 0x13;
inline constexpr int kListHotKeyId = 1;

class MainDialog : public Wnd, public CheckHost {
 public:
  explicit MainDialog(CheckerApp& app);
  ~MainDialog() override;

  bool Create();
  // Ends the notification of new mail; the tray icon calls it on a mouse press.
  void AcknowledgeNewMail();
  // A left click on the tray icon: shows a list that waited for the user.
  void ShowHeldListOnClick();
  // A click on the new-mail notification: the list, in front.
  void OpenListFromNotice();

  CSystemTray& Tray();
  // Present from the window's creation to its end.
  CheckEngine* Engine() { return engine_.get(); }
  // The update file saved by the update check, once it announced a newer version.
  const std::string& UpdateNoticePath() const { return updateNoticePath_; }
  // The list window object, while there is one (its window may be gone already).
  MessageListWnd* ListWindow() { return listWnd_.get(); }
  // Accounts taken with Apply and not yet written; the next save writes them too.
  bool AccountsUnsaved() const { return accountsUnsaved_; }

 protected:
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  // CheckHost
  void StartTimer(CheckTimer timer, int periodMs) override;
  void StopTimer(CheckTimer timer) override;
  void SetTrayFrames(TrayFrames frames) override;
  void StartTrayAnimation(int msPerFrame) override;
  void StopTrayAnimation() override;
  void AddTrayFrame(TrayIcon icon) override;
  void SetTrayIcon(TrayIcon icon) override;
  void SetToolTip(const std::string& text) override;
  void ShowErrorBox(const std::string& text, const std::string& caption) override;
  void PlaySoundFile(const std::string& path) override;
  bool InternetConnected() override;
  bool ListWindowOpen() override;
  void RefreshListWindow(bool raise) override;
  void ShowNewListWindow() override;
  void SetListWindowTopMost(bool topMost) override;
  void LogSeparator(std::string_view label) override;
  int64_t MonotonicMs() override;
  void RefilterItem(MailItem& item) override;
  void NewMailAnnounced(const std::vector<const MailItem*>& items) override;
  void SignInNeeded(int position) override;
  // SessionHost
  std::unique_ptr<MailItem> BuildItem(Account& account, std::string_view text,
                                      std::optional<std::string_view> sizeText) override;
  std::string Identity(std::string_view text) override;
  void Log(std::string_view text) override;
  void OnStatReply() override;

 private:
  class MainTray;

  void OnInitDialog();
  void OnCommand(UINT id);
  void HideIntoTray();
  void ShowAboutBox();
  void OnTimer(UINT_PTR id);
  void ExitProgram();
  // What every end of the run does before the window goes: hot key, dialogs, list, engine.
  void StopForExit();
  // The close asked for while the settings sheet runs: its own dialogs and the sheet are
  // cancelled, and the close comes again once the sheet's loop has returned.
  void CancelSheetForExit();
  void OnEndSession();
  void CreateEngine();
  void ToggleListWindow();
  // The list command of the tray menu: closes an open list, otherwise toggles.
  void ShowOrHideList();
  void CreateListWindow(DWORD exStyle, bool activate);
  // Closes an open list window (with its hide animation) and deletes the object.
  void CloseListWindow();
  void OpenSettings();
  void ApplySettings();
  void StartMailProgram();
  void OpenInEditor(const MailItem* item);
  void RegisterListHotKey(int value);
  void UnregisterListHotKey();
  void ShowUpdateNotice();
  void ShowNextErrorBox();
  HICON TrayPicture(TrayIcon icon) const;
  // The normal picture, with the unread count on it when TRAY_COUNT is on (main_dialog_count.cpp).
  HICON NormalPicture() const;
  // Puts the count's picture up when the normal one shows and nothing animates.
  void RefreshCountPicture();
  // A setting change: the task bar's turn between light and dark swaps the tray's pictures.
  void OnSettingChange(const wchar_t* area);
  // The monitor's scale changed: the tray's pictures at the new size.
  void OnDpiChanged(int dpi);
  // What the tray shows or will show of before, from after.
  void SwapTrayPictures(const IconSet& before, const IconSet& after);
  void RaiseListWindow();
  // Announcing while the user must not be disturbed (main_dialog_attention.cpp).
  UserAttention CurrentAttention() const;
  // New mail wants the list on screen: false when it has to wait (and the waiting has begun).
  bool AdmitListAnnouncement();
  void CheckHeldAnnouncement();
  void ShowHeldList();
  void StopHolding();
  // Resume and network changes (main_dialog_network.cpp).
  bool NetworkUsable();
  void OnNetworkWake(std::string_view why);
  void PollReconnect();
  void ReopenPushConnections();
  // IMAP push connections, each on a transport of its own that shares this window
  // (main_dialog_push.cpp).
  void EnablePushConnections();
  void RunPushConnections();
  void OnPushTimer();
  void RouteSocketEvent(WPARAM wParam, LPARAM lParam);
  LRESULT RouteSocketLine(WPARAM length, LPARAM text);

  CheckerApp& app_;
  std::unique_ptr<MainTray> tray_;
  // The invisible owner that keeps this window off the task bar once it is in the tray.
  WindowHandle hiddenOwner_;
  std::unique_ptr<AboutBox> aboutBox_;
  std::shared_ptr<UpdateState> update_ = std::make_shared<UpdateState>();
  std::string updateNoticePath_;
  std::unique_ptr<WinsockTransport> transport_;
  std::unique_ptr<ItemFactory> items_;
  // The OAuth 2.0 sign-in: made before the engine, which asks it for access tokens.
  std::unique_ptr<WinOAuthPlatform> oauth_;
  std::unique_ptr<TokenProvider> tokens_;
  // The sign-ins (TokenStoreKey) the browser was opened for by a failed check in this run.
  std::set<std::string> signInOffered_;
  std::unique_ptr<CheckEngine> engine_;
  // Declared before the list window, which writes its column layout here when it goes.
  std::unique_ptr<IniFileProfile> profile_;
  std::unique_ptr<MessageListWnd> listWnd_;
  bool hotKeyRegistered_ = false;
  // The settings sheet while it is open.
  CMyPropertySheet* sheet_ = nullptr;
  bool exitAfterSheet_ = false;
  bool accountsUnsaved_ = false;
  StartPageMemory startPage_;
  ErrorBoxQueue errorBoxes_;
  AnnouncementGate announcements_;
  int assumedAttention_ = 0;
  ReconnectPlanner reconnect_;
  bool downLogged_ = false;
  int assumedNetwork_ = 0;
  std::unique_ptr<NetworkChangeWatcher> networkWatcher_;
  // Kept for the run: the tray may still hold one to put back after an animation.
  mutable std::map<std::wstring, IconHandle> countPictures_;
};

}  // namespace postwink::win
