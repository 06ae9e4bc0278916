#include "win32/wide_text.h"

#include "core/text/utf8.h"

namespace postwink::win {

// wchar_t is 16 bits on Windows, so UTF-16 text is the system's wide text.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::wstring Widen(std::string_view utf8) {
  std::u16string w = Utf8ToUtf16(utf8);
  return std::wstring(w.begin(), w.end());
}

std::string Narrow(std::wstring_view wide) {
  return Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

}  // namespace postwink::win
