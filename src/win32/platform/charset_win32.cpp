// Decoding of other character sets by Windows code page number.
#include "win32/platform/windows_headers.h"

#include <algorithm>

#include "core/platform/system.h"

namespace postwink {
namespace {

// Converts bytes that must all be valid in the code page; nullopt when one is not. A code page
// that cannot report invalid bytes converts them as Windows does.
std::optional<std::u16string> Strict(UINT codePage, const char* src, size_t len) {
  if (len == 0) return std::u16string();
  const int srcLen = static_cast<int>(len);
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

// Text with invalid bytes, a character at a time, as iconv is read on the other side: an
// invalid or cut-short sequence becomes one U+FFFD for its first byte and the next byte starts
// afresh. Windows would put its own default character there instead, which differs by set.
void AppendEachCharacter(UINT codePage, std::string_view bytes, std::u16string& out) {
  constexpr size_t kLongestCharacter = 4;  // GB18030
  size_t pos = 0;
  while (pos < bytes.size()) {
    const unsigned char c = static_cast<unsigned char>(bytes[pos]);
    if (c < 0x80) {
      out.push_back(c);
      ++pos;
      continue;
    }
    bool done = false;
    for (size_t len = 1; len <= kLongestCharacter && pos + len <= bytes.size(); ++len) {
      if (std::optional<std::u16string> one = Strict(codePage, bytes.data() + pos, len)) {
        out += *one;
        pos += len;
        done = true;
        break;
      }
    }
    if (!done) {
      out.push_back(u'\uFFFD');
      ++pos;
    }
  }
}

// Bytes below 0x30 (controls, space, punctuation) are never part of a multi-byte character in
// the sets that come here, so text can be cut after one.
bool IsSafeCut(char c) { return static_cast<unsigned char>(c) < 0x30; }

class Win32CharsetConverter final : public CharsetConverter {
 public:
  std::optional<std::u16string> ToUtf16(const CodePageInfo& codePage,
                                        std::string_view bytes) const override {
    const UINT cp = codePage.windowsCodePage;
    if (!IsValidCodePage(cp)) return std::nullopt;
    // Long texts go in pieces so a length never overflows the int the API takes; a piece ends
    // just after a safe byte when one is near. A piece that is not valid as a whole goes in runs
    // that end at safe bytes, and a run that is not, a character at a time.
    constexpr size_t kPiece = 1 << 24;
    constexpr size_t kSearchBack = 1 << 12;
    std::u16string out;
    size_t pos = 0;
    while (pos < bytes.size()) {
      size_t len = std::min(kPiece, bytes.size() - pos);
      if (pos + len < bytes.size()) {
        for (size_t back = 0; back < kSearchBack && back < len; ++back) {
          if (IsSafeCut(bytes[pos + len - 1 - back])) {
            len -= back;
            break;
          }
        }
      }
      const std::string_view piece = bytes.substr(pos, len);
      if (std::optional<std::u16string> whole = Strict(cp, piece.data(), piece.size())) {
        out += *whole;
      } else {
        size_t start = 0;
        while (start < piece.size()) {
          size_t end = start;
          while (end < piece.size() && !IsSafeCut(piece[end])) ++end;
          if (end < piece.size()) ++end;
          const std::string_view run = piece.substr(start, end - start);
          if (std::optional<std::u16string> part = Strict(cp, run.data(), run.size())) {
            out += *part;
          } else {
            AppendEachCharacter(cp, run, out);
          }
          start = end;
        }
      }
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
