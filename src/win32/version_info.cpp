#include "version_info.h"

#include <cstdio>
#include <vector>

#include "win32/platform/windows_headers.h"
#include "win32/wide_text.h"

namespace postwink::win {

std::string ReadVersionString(const std::string& valueName,
                              const std::optional<std::string>& file) {
  std::wstring path;
  if (file) {
    path = Widen(*file);
  } else {
    std::wstring self(MAX_PATH, L'\0');
    for (;;) {
      DWORD n = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
      if (n == 0) return {};
      if (n < self.size()) {
        self.resize(n);
        break;
      }
      self.resize(self.size() * 2);
    }
    path = self;
  }
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<unsigned char> data(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return {};

  struct Translation {
    WORD language;
    WORD codePage;
  };
  Translation* translations = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translations), &length) ||
      length < sizeof(Translation)) {
    return {};
  }
  wchar_t block[16];
  swprintf(block, 16, L"%04x%04x", translations[0].language, translations[0].codePage);
  std::wstring query = std::wstring(L"\\StringFileInfo\\") + block + L"\\" + Widen(valueName);
  wchar_t* value = nullptr;
  if (!VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) ||
      !value || length == 0) {
    return {};
  }
  std::wstring text(value, length);
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  return Narrow(text);
}

}  // namespace postwink::win
