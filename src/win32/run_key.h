#pragma once
// The program's value under the current user's Run key, which starts it with Windows.

#include <optional>
#include <string>

#include "win32/platform/windows_headers.h"

namespace postwink::win {

inline constexpr const wchar_t* kRunKeyPath = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const wchar_t* kRunValueName = L"Postwink";

// One value under a key of HKEY_CURRENT_USER; the tests point it at a key of their own. Texts
// are UTF-8, so that any path survives the round trip.
class RunKey {
 public:
  explicit RunKey(std::wstring keyPath = kRunKeyPath, std::wstring valueName = kRunValueName)
      : keyPath_(std::move(keyPath)), valueName_(std::move(valueName)) {}

  // None when the key or the value is absent, or the value is not a text.
  std::optional<std::string> Read() const;
  bool Write(const std::string& value) const;
  // True when the value is gone afterwards (also when it was never there).
  bool Remove() const;

 private:
  std::wstring keyPath_;
  std::wstring valueName_;
};

// The running program's full path in UTF-8.
std::string RunningProgramPath();

}  // namespace postwink::win
