// MainDialog's tray picture with the number of unread messages on it.
#include "main_dialog.h"

#include "core/check/unread_counts.h"
#include "win32/checker_app.h"
#include "win32/count_icon.h"
#include "win32/wide_text.h"

namespace postwink::win {

HICON MainDialog::NormalPicture() const {
  HICON normal = app_.Icons().normal.get();
  if (app_.GetSettings().trayCount == 0 || !engine_) return normal;
  const std::wstring text =
      Widen(CountBadgeText(TotalUnread(CountUnread(engine_->List(), engine_->Accounts()))));
  if (text.empty()) return normal;
  IconHandle& picture = countPictures_[text];
  if (!picture) picture = DrawCountOnIcon(normal, text, GetSystemMetrics(SM_CXSMICON));
  return picture ? picture.get() : normal;
}

void MainDialog::RefreshCountPicture() {
  if (Tray().IsAnimating()) return;
  HICON shown = Tray().CurrentIcon();
  bool normalShown = shown == app_.Icons().normal.get();
  for (const auto& [text, picture] : countPictures_) normalShown |= shown == picture.get();
  if (!normalShown) return;
  HICON wanted = NormalPicture();
  if (wanted != shown) Tray().SetIcon(wanted);
}

}  // namespace postwink::win
