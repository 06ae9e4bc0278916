#include "core/mime/charset.h"

#include "core/mime/charset_table.h"
#include "core/mime/iso2022.h"
#include "core/mime/transfer_encoding.h"
#include "core/mime/unicode_text.h"
#include "core/text/case.h"
#include "core/text/cp932.h"
#include "core/text/utf8.h"

namespace postwink {
namespace {

// Tabs count too: a Content-Type folded with more than one tab keeps the others.
size_t SkipSpaces(std::string_view text, size_t pos) {
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  return pos;
}

// The designators of ISO-2022-JP and its extensions: ESC $ @, ESC $ B, ESC $ ( B, ESC $ ( D,
// ESC ( I.
bool HasJisEscape(std::string_view text) {
  for (size_t pos = text.find('\x1B'); pos != std::string_view::npos;
       pos = text.find('\x1B', pos + 1)) {
    const std::string_view rest = text.substr(pos + 1, 3);
    if (rest.substr(0, 2) == "$@" || rest.substr(0, 2) == "$B" || rest == "$(B" || rest == "$(D" ||
        rest.substr(0, 2) == "(I") {
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
  return Utf16ToUtf8(*wide);
}

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// A Japanese set, read as Windows reads Shift_JIS.
std::string Japanese(std::string_view text, const CodePageInfo& codePage,
                     const CharsetContext& context) {
  if (IsAscii(text)) return std::string(text);
  std::optional<std::u16string> wide = context.converter.ToUtf16(codePage, text);
  if (!wide) return ToValidUtf8(text);
  ToWindowsJapaneseForms(*wide);
  return Utf16ToUtf8(*wide);
}

constexpr CodePageInfo kShiftJisCodePage{932, "CP932"};
constexpr CodePageInfo kEucJpCodePage{20932, "EUC-JP"};

std::string ShiftJisToUtf8(std::string_view text, const CharsetContext& context) {
  return Japanese(text, kShiftJisCodePage, context);
}

std::string Iso2022JpToUtf8(std::string_view text, const CharsetContext& context) {
  std::string out;
  out.reserve(text.size() * 3 / 2);
  ReadIso2022Jp(text, [&](JisRun kind, std::string_view bytes) {
    out += Japanese(bytes, kind == JisRun::kShiftJis ? kShiftJisCodePage : kEucJpCodePage, context);
  });
  return out;
}

}  // namespace

std::optional<std::string> ConvertCharset(std::string_view text, std::string_view charsetName,
                                          const CharsetContext& context) {
  const std::optional<CharsetEntry> entry = FindCharset(charsetName);
  if (!entry) return std::nullopt;
  if (entry->kind != CharsetKind::kIso2022Kr && entry->kind != CharsetKind::kUtf7 &&
      HasJisEscape(text)) {
    return Iso2022JpToUtf8(text, context);
  }
  switch (entry->kind) {
    case CharsetKind::kIso2022Jp:
      return Iso2022JpToUtf8(text, context);
    case CharsetKind::kIso2022Kr:
      return ViaPlatform(Iso2022KrToEucKr(text), kEucKrCodePage, context);
    case CharsetKind::kUtf7:
      return ConvertViaUnicode(text, UnicodeForm::kUtf7, context);
    case CharsetKind::kUtf8:
      return ConvertViaUnicode(text, UnicodeForm::kUtf8, context);
    case CharsetKind::kShiftJis:
      return ShiftJisToUtf8(text, context);
    case CharsetKind::kEucJp:
      return Japanese(text, entry->codePage, context);
    case CharsetKind::kAscii:
      return DecodeUnlabelledText(text, context);
    case CharsetKind::kSingleByte:
      if (LooksLikeShiftJis(text)) return ShiftJisToUtf8(text, context);
      return ViaPlatform(text, entry->codePage, context);
    case CharsetKind::kMultiByte:
      return ViaPlatform(text, entry->codePage, context);
    case CharsetKind::kGb18030:
      return ViaPlatform(Gb18030AsGbk(text), entry->codePage, context);
  }
  return std::nullopt;
}

std::string DecodeUnlabelledText(std::string_view text, const CharsetContext& context) {
  if (!HasJisEscape(text) && IsValidUtf8(text)) return std::string(text);
  return Iso2022JpToUtf8(text, context);
}

std::optional<std::string> ConvertViaUnicode(std::string_view text, UnicodeForm which,
                                             const CharsetContext&) {
  if (which == UnicodeForm::kUtf8) return ToValidUtf8(text);
  return Utf16ToUtf8(Utf7ToUtf16(text));
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
  if (!charset.empty()) {
    if (std::optional<std::string> converted = ConvertCharset(decoded, charset, context)) {
      return std::move(*converted);
    }
  }
  return DecodeUnlabelledText(decoded, context);
}

}  // namespace postwink
