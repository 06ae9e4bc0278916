#include "core/mime/charset.h"

#include "core/mime/charset_table.h"
#include "core/mime/iso2022.h"
#include "core/mime/transfer_encoding.h"
#include "core/mime/unicode_text.h"
#include "core/text/case.h"
#include "core/text/cp932.h"

namespace postwink {
namespace {

// Tabs count too: a Content-Type folded with more than one tab keeps the others.
size_t SkipSpaces(std::string_view text, size_t pos) {
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  return pos;
}

// ESC $ @ or ESC $ B: the kanji designators of ISO-2022-JP.
bool HasJisEscape(std::string_view text) {
  for (size_t pos = text.find('\x1B'); pos != std::string_view::npos;
       pos = text.find('\x1B', pos + 1)) {
    if (text.substr(pos + 1, 1) == "$" && pos + 2 < text.size() &&
        (text[pos + 2] == '@' || text[pos + 2] == 'B')) {
      return true;
    }
  }
  return false;
}

// Text that a Latin label would garble: every byte above 0x7F belongs to a Shift_JIS character,
// and at least one is a double-byte character led by 0x81-0x9F, a range that ISO-8859 text
// never uses.
bool LooksLikeShiftJis(std::string_view text) {
  bool doubleByte = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80 || (c >= 0xA1 && c <= 0xDF)) continue;  // ASCII, half-width katakana
    if (!IsLeadByte(c) || i + 1 >= text.size() ||
        !IsTrailByte(static_cast<unsigned char>(text[i + 1]))) {
      return false;
    }
    if (c <= 0x9F) doubleByte = true;
    ++i;
  }
  return doubleByte;
}

// GB18030 text with each four-byte character (a byte 0x81-0xFE, a digit, 0x81-0xFE, a digit)
// replaced by "?", so that what is left is GBK.
std::string Gb18030AsGbk(std::string_view text) {
  auto isHigh = [](char c) { return static_cast<unsigned char>(c) >= 0x81; };
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    if (!isHigh(text[i]) || i + 1 >= text.size()) {
      out.push_back(text[i++]);
    } else if (i + 3 < text.size() && isDigit(text[i + 1]) && isHigh(text[i + 2]) &&
               isDigit(text[i + 3])) {
      out.push_back('?');
      i += 4;
    } else {
      out.append(text.substr(i, 2));
      i += 2;
    }
  }
  return out;
}

std::optional<std::string> ViaPlatform(std::string_view text, const CodePageInfo& codePage,
                                       const CharsetContext& context) {
  std::optional<std::u16string> wide = context.converter.ToUtf16(codePage, text);
  if (!wide) return std::nullopt;
  return NarrowToCp932(std::move(*wide), context.codePage);
}

}  // namespace

std::optional<std::string> ConvertCharset(std::string_view text, std::string_view charsetName,
                                          const CharsetContext& context) {
  const std::optional<CharsetEntry> entry = FindCharset(charsetName);
  if (!entry) return std::nullopt;
  if (entry->kind != CharsetKind::kIso2022Kr && entry->kind != CharsetKind::kUtf7 &&
      HasJisEscape(text)) {
    return JisToShiftJis(text);
  }
  switch (entry->kind) {
    case CharsetKind::kIso2022Jp:
      return JisToShiftJis(text);
    case CharsetKind::kIso2022Kr:
      return ViaPlatform(Iso2022KrToEucKr(text), kEucKrCodePage, context);
    case CharsetKind::kUtf7:
      return ConvertViaUnicode(text, UnicodeForm::kUtf7, context);
    case CharsetKind::kUtf8:
      return ConvertViaUnicode(text, UnicodeForm::kUtf8, context);
    case CharsetKind::kShiftJis:
      return std::string(text);
    case CharsetKind::kAscii:
      return DecodeUnlabelledText(text, context);
    case CharsetKind::kSingleByte:
      if (LooksLikeShiftJis(text)) return std::string(text);
      return ViaPlatform(text, entry->codePage, context);
    case CharsetKind::kMultiByte:
      return ViaPlatform(text, entry->codePage, context);
    case CharsetKind::kGb18030:
      return ViaPlatform(Gb18030AsGbk(text), entry->codePage, context);
  }
  return std::nullopt;
}

std::string DecodeUnlabelledText(std::string_view text, const CharsetContext& context) {
  if (!HasJisEscape(text) && IsUtf8WithMultiByte(text)) {
    return NarrowToCp932(Utf8ToUtf16(text), context.codePage);
  }
  return JisToShiftJis(text);
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
  return DecodeUnlabelledText(body, context);
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
