#include "wide_text.h"

#include "core/platform/system.h"

namespace postwink::win {

// wchar_t is 16 bits on Windows, so the platform's UTF-16 text is the system's wide text.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::wstring Widen(std::string_view cp932) {
  std::u16string w = PlatformSystem().codePage.Widen(cp932);
  return std::wstring(w.begin(), w.end());
}

std::string Narrow(std::wstring_view wide) {
  return PlatformSystem().codePage.Narrow(
      std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

}  // namespace postwink::win
