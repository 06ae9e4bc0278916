#include "icon_set.h"

#include "core/ui/icon_files.h"
#include "win32/platform/windows_headers.h"
#include "win32/resource.h"
#include "win32/wide_text.h"
#include "win32/wnd.h"

namespace postwink::win {

std::vector<HICON> IconSet::Handles(const std::vector<IconHandle>& icons) {
  std::vector<HICON> handles;
  handles.reserve(icons.size());
  for (const IconHandle& icon : icons) handles.push_back(icon.get());
  return handles;
}

IconHandle LoadIconFile(const std::string& path) {
  HICON icon = ExtractIconW(ProgramInstance(), Widen(path).c_str(), 0);
  // ExtractIcon gives 1 for a file that is not an icon or a program.
  if (reinterpret_cast<UINT_PTR>(icon) <= 1) return IconHandle();
  return IconHandle(icon);
}

IconHandle LoadResourceIcon(int id) {
  return IconHandle(static_cast<HICON>(
      LoadImageW(ProgramInstance(), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
}

namespace {

std::vector<IconHandle> Frames(const std::string& folder, const char* prefix, int firstId,
                               int count) {
  std::function<IconHandle(const std::string&)> load = &LoadIconFile;
  std::vector<IconHandle> frames = LoadNumberedFrames(folder, prefix, load);
  if (frames.empty()) {
    for (int id = firstId; id < firstId + count; ++id) frames.push_back(LoadResourceIcon(id));
  }
  return frames;
}

}  // namespace

IconSet LoadIconSet(const std::string& userIcon, const std::string& programDirectory) {
  std::string folder = IconFolder(userIcon, programDirectory);
  IconSet set;
  set.normal = LoadIconFile(folder + "std.ico");
  if (!set.normal) set.normal = LoadResourceIcon(IDI_NORMAL);
  set.error = LoadIconFile(folder + "err.ico");
  if (!set.error) set.error = LoadResourceIcon(IDI_ERROR_MARK);
  set.newMailFrames = Frames(folder, "new", IDI_NEWMAIL_FIRST, 5);
  set.receivingFrames = Frames(folder, "rcv", IDI_RECEIVING_FIRST, 8);
  return set;
}

}  // namespace postwink::win
