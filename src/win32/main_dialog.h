#pragma once
// MainDialog: the program's main window. It is never shown; it owns the tray icon and the
// timers and receives the menu commands.

#include <memory>
#include <vector>

#include "core/config/account.h"
#include "win32/about_box.h"
#include "win32/handles.h"
#include "win32/system_tray.h"
#include "win32/update_check.h"
#include "win32/wnd.h"

namespace postwink::win {

class CheckerApp;

inline constexpr UINT_PTR TIMER_CHECK_STEP = 4;
inline constexpr UINT_PTR TIMER_MINUTE = 6;
inline constexpr UINT_PTR TIMER_SERVER_TIMEOUT = 7;
inline constexpr UINT_PTR TIMER_UPDATE_CHECK = 8;

class MainDialog : public Wnd {
 public:
  explicit MainDialog(CheckerApp& app);
  ~MainDialog() override;

  bool Create();
  // Ends the notification of new mail; the tray icon calls it on a mouse press.
  void AcknowledgeNewMail();

  CSystemTray& Tray();
  const std::vector<Account>& Accounts() const { return accounts_; }
  const Account& UpdateAccount() const { return updateAccount_; }
  // The update file saved by the update check, once it announced a newer version.
  const std::string& UpdateNoticePath() const { return updateNoticePath_; }

 protected:
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  class MainTray;

  void OnInitDialog();
  void OnCommand(UINT id);
  void HideIntoTray();
  void ShowAboutBox();
  void OnTimer(UINT_PTR id);
  void ExitProgram();

  CheckerApp& app_;
  std::unique_ptr<MainTray> tray_;
  // The invisible owner that keeps this window off the task bar once it is in the tray.
  WindowHandle hiddenOwner_;
  std::unique_ptr<AboutBox> aboutBox_;
  std::shared_ptr<UpdateState> update_ = std::make_shared<UpdateState>();
  std::vector<Account> accounts_;
  Account updateAccount_;
  bool newMail_ = false;
  std::string updateNoticePath_;
};

}  // namespace postwink::win
