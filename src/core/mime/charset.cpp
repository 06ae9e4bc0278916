#include "core/mime/charset.h"

#include "core/mime/charset_table.h"
#include "core/mime/iso2022.h"
#include "core/mime/transfer_encoding.h"
#include "core/mime/unicode_text.h"
#include "core/text/case.h"

namespace postwink {
namespace {

// Tabs count too: a Content-Type folded with more than one tab keeps the others.
size_t SkipSpaces(std::string_view text, size_t pos) {
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  return pos;
}

}  // namespace

std::optional<std::string> ConvertCharset(std::string_view text, std::string_view charsetName,
                                          const CharsetContext& context) {
  const std::optional<CharsetEntry> entry = FindCharset(charsetName);
  if (!entry) return std::nullopt;
  switch (entry->kind) {
    case CharsetKind::kIso2022Jp:
      return JisToShiftJis(text);
    case CharsetKind::kIso2022Kr:
      return Iso2022KrToEucKr(text);
    case CharsetKind::kUtf7:
      return ConvertViaUnicode(text, UnicodeForm::kUtf7, context);
    case CharsetKind::kUtf8:
      return ConvertViaUnicode(text, UnicodeForm::kUtf8, context);
    case CharsetKind::kShiftJis:
      return std::string(text);
    case CharsetKind::kAscii: {
      std::string out(text);
      for (char& c : out) {
        if (static_cast<unsigned char>(c) >= 0x80) c = '?';
      }
      return out;
    }
    case CharsetKind::kPlatform: {
      std::optional<std::u16string> wide = context.converter.ToUtf16(entry->codePage, text);
      if (!wide) return std::nullopt;
      return NarrowToCp932(std::move(*wide), context.codePage);
    }
  }
  return std::nullopt;
}

std::optional<std::string> ConvertViaUnicode(std::string_view text, UnicodeForm which,
                                             const CharsetContext& context) {
  std::u16string wide = which == UnicodeForm::kUtf7 ? Utf7ToUtf16(text) : Utf8ToUtf16(text);
  return NarrowToCp932(std::move(wide), context.codePage);
}

std::string ConvertBodyCharset(std::string_view body, std::string_view contentType,
                               const CharsetContext& context) {
  size_t pos = 0;
  while (pos < contentType.size()) {
    pos = SkipSpaces(contentType, pos);
    constexpr std::string_view kCharset = "charset";
    if (StartsWithNoCase(contentType.substr(pos), kCharset)) {
      pos = SkipSpaces(contentType, pos + kCharset.size());
      if (pos >= contentType.size() || contentType[pos] != '=') break;
      pos = SkipSpaces(contentType, pos + 1);
      if (pos < contentType.size() && contentType[pos] == '"') ++pos;
      pos = SkipSpaces(contentType, pos);
      if (std::optional<std::string> converted =
              ConvertCharset(body, contentType.substr(pos), context)) {
        return std::move(*converted);
      }
    }
    const size_t semicolon = contentType.find(';', pos);
    if (semicolon == std::string_view::npos) break;
    pos = semicolon + 1;
  }
  return JisToShiftJis(body);
}

std::string DecodeRfc2231Value(std::string_view text, const CharsetContext& context) {
  std::string_view charset;
  std::string_view value = text;
  const size_t first = text.find('\'');
  if (first != std::string_view::npos) {
    const size_t second = text.find('\'', first + 1);
    if (second != std::string_view::npos && second + 1 < text.size()) {
      charset = text.substr(0, first);
      value = text.substr(second + 1);
    }
  }
  std::string decoded = PercentDecode(value);
  if (charset.empty()) return decoded;
  if (std::optional<std::string> converted = ConvertCharset(decoded, charset, context)) {
    return std::move(*converted);
  }
  return decoded;
}

}  // namespace postwink
