#pragma once
// The tray's pictures: normal, error, new-mail frames and receiving frames, from the user's
// icon folder when the files are there and from the program's own resources otherwise.

#include <string>
#include <vector>

#include "win32/handles.h"

namespace postwink::win {

struct IconSet {
  IconHandle normal;
  IconHandle error;
  std::vector<IconHandle> newMailFrames;
  std::vector<IconHandle> receivingFrames;

  static std::vector<HICON> Handles(const std::vector<IconHandle>& icons);
};

// userIcon is USERICON; programDirectory ends with a backslash.
IconSet LoadIconSet(const std::string& userIcon, const std::string& programDirectory);

// The first icon of an .ico (or executable) file, or none.
IconHandle LoadIconFile(const std::string& path);
// A resource icon of the program at 16 x 16 pixels.
IconHandle LoadResourceIcon(int id);

}  // namespace postwink::win
