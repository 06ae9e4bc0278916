#include "win32/platform/browser_win32.h"

#include "win32/handles.h"
#include "win32/wide_text.h"
// clang-format off
#include <bcrypt.h>
// clang-format on

namespace postwink::win {

bool WinBrowser::Open(const std::string& url) {
  // Only a web address is handed on: the system would run a program named in its place, and
  // a quote would end the argument early.
  bool web = url.rfind("https://", 0) == 0 || url.rfind("http://", 0) == 0;
  if (!web || url.find_first_of("\"\r\n") != std::string::npos) return false;
  std::wstring wide = Widen(url);

  wchar_t command[4096];
  DWORD n = GetEnvironmentVariableW(kBrowserVariable, command, std::size(command));
  if (n == 0 || n >= std::size(command)) {
    auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
  }
  std::wstring line = std::wstring(command, n) + L" \"" + wide + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return true;
}

bool WinSecureRandom::Fill(std::span<uint8_t> bytes) {
  return BCryptGenRandom(nullptr, bytes.data(), static_cast<ULONG>(bytes.size()),
                         BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0;
}

}  // namespace postwink::win
