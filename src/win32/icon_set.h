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
  IconHandle error;
  std::vector<IconHandle> newMailFrames;
  std::vector<IconHandle> receivingFrames;

  static std::vector<HICON> Handles(const std::vector<IconHandle>& icons);
  // The picture in the same place of other (the normal one, the third new-mail frame...), or
  // none when icon is not one of this set's.
  HICON Counterpart(HICON icon, const IconSet& other) const;
};

// userIcon is USERICON; programDirectory ends with a backslash. The user's own files serve every
// task bar; the program's resources come in the theme's variant.
IconSet LoadIconSet(const std::string& userIcon, const std::string& programDirectory,
                    TaskbarTheme theme);

// The current user's SystemUsesLightTheme, or none when it is missing or not a number.
std::optional<uint32_t> SystemUsesLightTheme();

// The first icon of an .ico (or executable) file, or none.
IconHandle LoadIconFile(const std::string& path);
// A resource icon of the program at 16 x 16 pixels.
IconHandle LoadResourceIcon(int id);

}  // namespace postwink::win
