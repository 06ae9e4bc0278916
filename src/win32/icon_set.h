#pragma once
// The tray's pictures: normal, error, new-mail frames and receiving frames, from the user's
// icon folder when the files are there and from the program's own resources otherwise.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ui/taskbar_theme.h"
#include "win32/handles.h"

namespace postwink::win {

struct IconSet {
  IconHandle normal;
  // The normal picture at the large icon's size (twice the tray's), for the notification.
  IconHandle notification;
  IconHandle error;
  std::vector<IconHandle> newMailFrames;
  std::vector<IconHandle> receivingFrames;

  static std::vector<HICON> Handles(const std::vector<IconHandle>& icons);
  // The picture in the same place of other (the normal one, the third new-mail frame...), or
  // none when icon is not one of this set's.
  HICON Counterpart(HICON icon, const IconSet& other) const;
};

// The size of the pictures the tray shows: a small icon at dpi, the screen's when none is given
// (16, 20, 24 or 32 pixels at 100, 125, 150 and 200 %).
int TrayIconSize(int dpi = 0);

// userIcon is USERICON; programDirectory ends with a backslash. The user's own files serve every
// task bar; the program's resources come in the theme's variant.
// The pictures are loaded at size pixels.
IconSet LoadIconSet(const std::string& userIcon, const std::string& programDirectory,
                    TaskbarTheme theme, int size = TrayIconSize());

// The current user's SystemUsesLightTheme, or none when it is missing or not a number.
std::optional<uint32_t> SystemUsesLightTheme();

// The icon of an .ico file at size pixels (its image of that size when it has several), or the
// first icon of a program file; none when there is no icon.
IconHandle LoadIconFile(const std::string& path, int size);
// A resource icon of the program at size x size pixels.
IconHandle LoadResourceIcon(int id, int size);

}  // namespace postwink::win
