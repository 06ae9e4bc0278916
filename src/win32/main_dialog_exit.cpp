// MainDialog at the end of the run: the exit command, a close while the settings sheet runs its
// own loop, and the end of the session.
#include <vector>

#include "main_dialog.h"
#include "win32/checker_app.h"

namespace postwink::win {

namespace {

bool OwnedBy(HWND window, HWND owner) {
  for (HWND w = GetWindow(window, GW_OWNER); w != nullptr; w = GetWindow(w, GW_OWNER)) {
    if (w == owner) return true;
  }
  return false;
}

// The dialogs of this thread that the window owns, directly or through another dialog.
std::vector<HWND> OwnedDialogs(HWND owner) {
  struct Search {
    HWND owner;
    std::vector<HWND> found;
  } search{owner, {}};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        wchar_t className[8];
        if (GetClassNameW(w, className, 8) && std::wstring_view(className) == L"#32770" &&
            OwnedBy(w, s->owner)) {
          s->found.push_back(w);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// As the user would decline it: Cancel, or No for a question that has no Cancel.
void Decline(HWND dialog) {
  const bool onlyNo =
      GetDlgItem(dialog, IDCANCEL) == nullptr && GetDlgItem(dialog, IDNO) != nullptr;
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(onlyNo ? IDNO : IDCANCEL, BN_CLICKED), 0);
}

}  // namespace

void MainDialog::StopForExit() {
  UnregisterListHotKey();
  aboutBox_.reset();
  // Its column layout is written now, before the settings are written at exit.
  listWnd_.reset();
  // The push connections too, without waiting for any server.
  engine_->Stop();
  KillTimer(hwnd(), TIMER_PUSH);
  KillTimer(hwnd(), TIMER_MINUTE);
  KillTimer(hwnd(), TIMER_CHECK_STEP);
  KillTimer(hwnd(), TIMER_SERVER_TIMEOUT);
}

void MainDialog::CancelSheetForExit() {
  // Posting the close again until the sheet is gone would spin for as long as one of its
  // dialogs stays open; the sheet's caller sends it once its loop has returned.
  exitAfterSheet_ = true;
  HWND sheet = sheet_->hwnd();
  if (sheet == nullptr) return;
  // Ending a dialog only marks it; each loop returns once the ones inside it have.
  for (HWND dialog : OwnedDialogs(sheet)) Decline(dialog);
  PropSheet_PressButton(sheet, PSBTN_CANCEL);
}

void MainDialog::OnEndSession() {
  // The system may end the process as soon as this returns, and waits only so long.
  StopForExit();
  app_.FinishRun();
  // When it lets the process run on, the program ends as the exit command ends it.
  ExitProgram();
}

}  // namespace postwink::win
