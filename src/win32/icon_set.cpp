#include "icon_set.h"

#include "core/ui/icon_files.h"
#include "win32/dpi.h"
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

HICON IconSet::Counterpart(HICON icon, const IconSet& other) const {
  if (icon == nullptr) return nullptr;
  if (icon == normal.get()) return other.normal.get();
  if (icon == notification.get()) return other.notification.get();
  if (icon == error.get()) return other.error.get();
  auto inFrames = [icon](const std::vector<IconHandle>& mine,
                         const std::vector<IconHandle>& theirs) -> HICON {
    for (size_t i = 0; i < mine.size() && i < theirs.size(); ++i) {
      if (mine[i].get() == icon) return theirs[i].get();
    }
    return nullptr;
  };
  if (HICON frame = inFrames(newMailFrames, other.newMailFrames)) return frame;
  return inFrames(receivingFrames, other.receivingFrames);
}

int TrayIconSize(int dpi) {
  return SystemMetricForDpi(SM_CXSMICON, dpi > 0 ? dpi : WindowDpi(nullptr));
}

IconHandle LoadIconFile(const std::string& path, int size) {
  const std::wstring file = Widen(path);
  // An .ico of several sizes gives the one drawn for this size; a program file its first icon.
  if (auto* icon = static_cast<HICON>(
          LoadImageW(nullptr, file.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE))) {
    return IconHandle(icon);
  }
  HICON icon = ExtractIconW(ProgramInstance(), file.c_str(), 0);
  // ExtractIcon gives 1 for a file that is not an icon or a program.
  if (reinterpret_cast<UINT_PTR>(icon) <= 1) return IconHandle();
  return IconHandle(icon);
}

IconHandle LoadResourceIcon(int id, int size) {
  return IconHandle(static_cast<HICON>(LoadImageW(ProgramInstance(), MAKEINTRESOURCEW(id),
                                                  IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

namespace {

std::vector<IconHandle> Frames(const std::string& folder, const char* prefix, int firstId,
                               int count, int size) {
  std::function<IconHandle(const std::string&)> load = [size](const std::string& path) {
    return LoadIconFile(path, size);
  };
  std::vector<IconHandle> frames = LoadNumberedFrames(folder, prefix, load);
  if (frames.empty()) {
    for (int id = firstId; id < firstId + count; ++id) frames.push_back(LoadResourceIcon(id, size));
  }
  return frames;
}

}  // namespace

IconSet LoadIconSet(const std::string& userIcon, const std::string& programDirectory,
                    TaskbarTheme theme, int size) {
  const bool light = theme == TaskbarTheme::kLight;
  std::string folder = IconFolder(userIcon, programDirectory);
  IconSet set;
  set.normal = LoadIconFile(folder + "std.ico", size);
  if (!set.normal) set.normal = LoadResourceIcon(light ? IDI_NORMAL_LIGHT : IDI_NORMAL, size);
  set.notification = LoadIconFile(folder + "std.ico", 2 * size);
  if (!set.notification) {
    set.notification = LoadResourceIcon(light ? IDI_NORMAL_LIGHT : IDI_NORMAL, 2 * size);
  }
  set.error = LoadIconFile(folder + "err.ico", size);
  if (!set.error) set.error = LoadResourceIcon(light ? IDI_ERROR_MARK_LIGHT : IDI_ERROR_MARK, size);
  set.newMailFrames =
      Frames(folder, "new", light ? IDI_NEWMAIL_LIGHT_FIRST : IDI_NEWMAIL_FIRST, 5, size);
  set.receivingFrames =
      Frames(folder, "rcv", light ? IDI_RECEIVING_LIGHT_FIRST : IDI_RECEIVING_FIRST, 8, size);
  return set;
}

std::optional<uint32_t> SystemUsesLightTheme() {
  DWORD value = 0;
  DWORD size = sizeof value;
  const bool read =
      RegGetValueW(
          HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
          L"SystemUsesLightTheme", RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS;
  return read ? std::optional<uint32_t>(value) : std::nullopt;
}

}  // namespace postwink::win
