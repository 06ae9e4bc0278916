#include "core/platform/lenient_decode.h"

#include <algorithm>

namespace postwink {
namespace {

bool IsSafeCut(char c) { return static_cast<unsigned char>(c) < 0x30; }

void AppendEachCharacter(std::string_view bytes, const StrictDecode& strict, std::u16string& out) {
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
      if (std::optional<std::u16string> one = strict(bytes.substr(pos, len))) {
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

}  // namespace

std::u16string DecodeLeniently(std::string_view bytes, const StrictDecode& strict,
                               size_t pieceSize) {
  constexpr size_t kSearchBack = 1 << 12;
  std::u16string out;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t len = std::min(pieceSize, bytes.size() - pos);
    if (pos + len < bytes.size()) {
      for (size_t back = 0; back < kSearchBack && back < len; ++back) {
        if (IsSafeCut(bytes[pos + len - 1 - back])) {
          len -= back;
          break;
        }
      }
    }
    const std::string_view piece = bytes.substr(pos, len);
    if (std::optional<std::u16string> whole = strict(piece)) {
      out += *whole;
    } else {
      size_t start = 0;
      while (start < piece.size()) {
        size_t end = start;
        while (end < piece.size() && !IsSafeCut(piece[end])) ++end;
        if (end < piece.size()) ++end;
        const std::string_view run = piece.substr(start, end - start);
        if (std::optional<std::u16string> part = strict(run)) {
          out += *part;
        } else {
          AppendEachCharacter(run, strict, out);
        }
        start = end;
      }
    }
    pos += len;
  }
  return out;
}

}  // namespace postwink
