// Decoding of other character sets through iconv.
#include <iconv.h>

#include <cerrno>

#include "core/platform/system.h"
#include "posix/iconv_cache.h"

namespace postwink {
namespace {

class IconvCharsetConverter final : public CharsetConverter {
 public:
  std::optional<std::u16string> ToUtf16(const CodePageInfo& codePage,
                                        std::string_view bytes) const override {
    iconv_t cd = CachedIconv("UTF-16LE", codePage.iconvName);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::u16string out;
    std::string buffer(bytes.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(bytes.data());
    size_t srcLeft = bytes.size();
    while (true) {
      char* dst = buffer.data();
      size_t dstLeft = buffer.size();
      const size_t r = iconv(cd, srcLeft > 0 ? &src : nullptr, &srcLeft, &dst, &dstLeft);
      const int error = errno;
      const size_t produced = buffer.size() - dstLeft;
      for (size_t i = 0; i + 1 < produced; i += 2) {
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(buffer[i]) |
                                            (static_cast<unsigned char>(buffer[i + 1]) << 8)));
      }
      if (r != static_cast<size_t>(-1)) {
        if (srcLeft == 0) break;
        continue;
      }
      if (error == E2BIG) continue;
      // An invalid or cut-short sequence: one replacement for its first byte, then go on.
      out.push_back(u'\uFFFD');
      ++src;
      --srcLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (srcLeft == 0) break;
    }
    return out;
  }
};

}  // namespace

const CharsetConverter& PlatformCharsetConverter() {
  static const IconvCharsetConverter converter;
  return converter;
}

}  // namespace postwink
