#include "core/text/cp932.h"

#include "core/text/utf8.h"

namespace postwink {
namespace {

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

std::string FromCp932(std::string_view bytes, const CodePage& codePage) {
  if (IsAscii(bytes)) return std::string(bytes);
  return Utf16ToUtf8(codePage.Widen(bytes));
}

std::optional<std::string> ToCp932Exact(std::string_view utf8, const CodePage& codePage) {
  if (IsAscii(utf8)) return std::string(utf8);
  const std::u16string wide = Utf8ToUtf16(utf8);
  std::string narrow = codePage.Narrow(wide);
  if (codePage.Widen(narrow) != wide) return std::nullopt;
  return narrow;
}

std::string ToCp932Lossy(std::string_view utf8, const CodePage& codePage) {
  if (IsAscii(utf8)) return std::string(utf8);
  // Character by character, so each one 932 lacks is one "?" and nothing guesses a look-alike.
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const size_t len = CharLength(utf8, i);
    if (len == 1 && static_cast<unsigned char>(utf8[i]) < 0x80) {
      out.push_back(utf8[i]);
    } else if (std::optional<std::string> narrow = ToCp932Exact(utf8.substr(i, len), codePage)) {
      out += *narrow;
    } else {
      out.push_back('?');
    }
    i += len;
  }
  return out;
}

namespace {
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
}  // namespace

std::string StoredText(std::string_view utf8, const CodePage& codePage) {
  if (std::optional<std::string> narrow = ToCp932Exact(utf8, codePage)) return std::move(*narrow);
  return std::string(kByteOrderMark) + std::string(utf8);
}

std::string ReadStoredText(std::string_view bytes, const CodePage& codePage) {
  if (bytes.starts_with(kByteOrderMark)) return ToValidUtf8(bytes.substr(kByteOrderMark.size()));
  return FromCp932(bytes, codePage);
}

}  // namespace postwink
