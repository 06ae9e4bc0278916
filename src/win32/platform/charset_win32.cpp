// Decoding of other character sets by Windows code page number.
#include <windows.h>

#include <algorithm>

#include "core/platform/system.h"

namespace postwink {
namespace {

class Win32CharsetConverter final : public CharsetConverter {
 public:
  std::optional<std::u16string> ToUtf16(const CodePageInfo& codePage,
                                        std::string_view bytes) const override {
    if (!IsValidCodePage(codePage.windowsCodePage)) return std::nullopt;
    if (bytes.empty()) return std::u16string();
    // Long texts go in pieces so a length never overflows the int the API takes; a cut never
    // falls inside a character for the single-byte sets, and EUC-JP pieces end after an ASCII
    // byte.
    constexpr size_t kPiece = 1 << 24;
    std::u16string out;
    size_t pos = 0;
    while (pos < bytes.size()) {
      size_t len = std::min(kPiece, bytes.size() - pos);
      if (pos + len < bytes.size()) {
        while (len > 1 && static_cast<unsigned char>(bytes[pos + len - 1]) >= 0x80) --len;
      }
      const char* src = bytes.data() + pos;
      const int srcLen = static_cast<int>(len);
      const int needed = MultiByteToWideChar(codePage.windowsCodePage, 0, src, srcLen, nullptr, 0);
      if (needed <= 0) return std::nullopt;
      const size_t start = out.size();
      out.resize(start + static_cast<size_t>(needed));
      const int written =
          MultiByteToWideChar(codePage.windowsCodePage, 0, src, srcLen,
                              reinterpret_cast<wchar_t*>(out.data() + start), needed);
      if (written <= 0) return std::nullopt;
      out.resize(start + static_cast<size_t>(written));
      pos += len;
    }
    return out;
  }
};

}  // namespace

const CharsetConverter& PlatformCharsetConverter() {
  static const Win32CharsetConverter converter;
  return converter;
}

}  // namespace postwink
