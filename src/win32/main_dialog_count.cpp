// MainDialog's tray pictures: the number of unread messages drawn on the icon, and the set that
// reads on the task bar's theme, at the size the tray asks for on the main window's monitor.
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
  if (!picture) picture = DrawCountOnIcon(normal, text, app_.TrayIconPixels());
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

void MainDialog::OnSettingChange(const wchar_t* area) {
  std::optional<TaskbarTheme> theme = ThemeAfterSettingChange(
      app_.GetTaskbarTheme(), area ? Narrow(area) : std::string(), &SystemUsesLightTheme);
  if (!theme) return;
  const IconSet& before = app_.Icons();
  app_.SetTaskbarTheme(*theme);
  Log(*theme == TaskbarTheme::kLight ? "tray pictures for a light task bar"
                                     : "tray pictures for a dark task bar");
  SwapTrayPictures(before, app_.Icons());
}

void MainDialog::OnDpiChanged(int dpi) {
  const int size = TrayIconSize(dpi);
  if (size == app_.TrayIconPixels()) return;
  const std::array<IconSet, 2> before = app_.ReloadIcons(size);
  Log("tray pictures at " + std::to_string(size) + " pixels");
  SwapTrayPictures(before[static_cast<size_t>(app_.GetTaskbarTheme())], app_.Icons());
}

void MainDialog::SwapTrayPictures(const IconSet& before, const IconSet& after) {
  Tray().SwapPictures([&](HICON picture) -> HICON {
    if (HICON counterpart = before.Counterpart(picture, after)) return counterpart;
    // A count drawn on the old picture: the normal one stands in until it is drawn again.
    for (const auto& [text, drawn] : countPictures_) {
      if (drawn.get() == picture) return after.normal.get();
    }
    return nullptr;
  });
  countPictures_.clear();
  RefreshCountPicture();
}

}  // namespace postwink::win
