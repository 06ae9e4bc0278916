// Decoding of other character sets by Windows code page number.
#include "win32/platform/windows_headers.h"

#include "core/platform/lenient_decode.h"
#include "core/platform/system.h"

namespace postwink {
namespace {

// Converts bytes that must all be valid in the code page; nullopt when one is not. A code page
// that cannot report invalid bytes converts them as Windows does.
std::optional<std::u16string> Strict(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return std::u16string();
  const char* src = bytes.data();
  const int srcLen = static_cast<int>(bytes.size());
  DWORD flags = MB_ERR_INVALID_CHARS;
  int needed = MultiByteToWideChar(codePage, flags, src, srcLen, nullptr, 0);
  if (needed <= 0 && GetLastError() == ERROR_INVALID_FLAGS) {
    flags = 0;
    needed = MultiByteToWideChar(codePage, flags, src, srcLen, nullptr, 0);
  }
  if (needed <= 0) return std::nullopt;
  std::u16string out(static_cast<size_t>(needed), u'\0');
  const int written = MultiByteToWideChar(codePage, flags, src, srcLen,
                                          reinterpret_cast<wchar_t*>(out.data()), needed);
  if (written <= 0) return std::nullopt;
  out.resize(static_cast<size_t>(written));
  return out;
}

class Win32CharsetConverter final : public CharsetConverter {
 public:
  std::optional<std::u16string> ToUtf16(const CodePageInfo& codePage,
                                        std::string_view bytes) const override {
    const UINT cp = codePage.windowsCodePage;
    if (!IsValidCodePage(cp)) return std::nullopt;
    // The pieces keep every length within the int the API takes. Windows would put its own
    // default character, which differs by set, where iconv on the other side puts U+FFFD.
    return DecodeLeniently(bytes, [cp](std::string_view piece) { return Strict(cp, piece); });
  }
};

}  // namespace

const CharsetConverter& PlatformCharsetConverter() {
  static const Win32CharsetConverter converter;
  return converter;
}

}  // namespace postwink
