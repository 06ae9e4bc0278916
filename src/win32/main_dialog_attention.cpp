// MainDialog's new-mail announcements: the notification beside the list, and the list that
// waits while the user is presenting, playing full screen or has quiet hours on, until the
// shell says the user is available again.
#include "main_dialog.h"

#include <shellapi.h>

#include <string>

#include "core/check/new_mail_notice.h"
#include "win32/checker_app.h"

namespace postwink::win {

UserAttention MainDialog::CurrentAttention() const {
  if (assumedAttention_ != 0) return UserAttentionFromShell(true, assumedAttention_);
  QUERY_USER_NOTIFICATION_STATE state{};
  const bool queried = SUCCEEDED(SHQueryUserNotificationState(&state));
  return UserAttentionFromShell(queried, static_cast<int>(state));
}

bool MainDialog::AdmitListAnnouncement() {
  const UserAttention attention = CurrentAttention();
  if (announcements_.Admit(attention)) return true;
  Log("new mail held: user not available (" + std::to_string(static_cast<int>(attention)) + ")");
  // The shell announces no change of this state: it is asked again now and then while mail
  // waits, and only then.
  SetTimer(hwnd(), TIMER_ATTENTION, kAttentionPollMs, nullptr);
  return false;
}

void MainDialog::CheckHeldAnnouncement() {
  if (!announcements_.Holding()) {
    KillTimer(hwnd(), TIMER_ATTENTION);
    return;
  }
  if (!announcements_.Release(CurrentAttention())) return;
  KillTimer(hwnd(), TIMER_ATTENTION);
  ShowHeldList();
}

void MainDialog::ShowHeldListOnClick() {
  if (!announcements_.TakeOnClick()) return;
  KillTimer(hwnd(), TIMER_ATTENTION);
  ShowHeldList();
}

void MainDialog::ShowHeldList() {
  Log("held new mail shown");
  if (ListWindowOpen()) {
    RaiseListWindow();
  } else {
    CreateListWindow(kListWindowNewMailExStyle, false);
  }
}

void MainDialog::StopHolding() {
  announcements_.Drop();
  KillTimer(hwnd(), TIMER_ATTENTION);
}

void MainDialog::NewMailAnnounced(const std::vector<const MailItem*>& items) {
  Log("new mail announced: " + std::to_string(items.size()));
  // Windows itself keeps this one quiet during Do Not Disturb.
  if (app_.GetSettings().notifyCentre == 0) return;
  if (std::optional<NewMailNotice> notice = MakeNewMailNotice(items)) {
    Tray().ShowBalloon(notice->title, notice->text, app_.Icons().notification.get());
  }
}

void MainDialog::OpenListFromNotice() {
  StopHolding();
  if (ListWindowOpen()) {
    SetForegroundWindow(hwnd());
    SetForegroundWindow(listWnd_->hwnd());
    AcknowledgeNewMail();
  } else {
    ToggleListWindow();
  }
}

}  // namespace postwink::win
