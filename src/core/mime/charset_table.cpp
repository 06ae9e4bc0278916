#include "core/mime/charset_table.h"
#include "core/text/case.h"

#include <array>

namespace postwink {
namespace {

constexpr std::array<CharsetEntry, 4> kPrefixSets = {{
    {"ISO-2022-JP", CharsetKind::kIso2022Jp, {50220, "ISO-2022-JP"}},
    {"ISO-2022-KR", CharsetKind::kIso2022Kr, {50225, "ISO-2022-KR"}},
    {"UTF-7", CharsetKind::kUtf7, {65000, "UTF-7"}},
    {"UTF-8", CharsetKind::kUtf8, {65001, "UTF-8"}},
}};

// Only sets that both Windows (by code page number) and iconv convert, so both platforms show
// the same text. ISO-8859-10, -12 and -14 have no Windows code page and keep their bytes.
constexpr std::array<CharsetEntry, 35> kWholeNameSets = {{
    {"Shift_JIS", CharsetKind::kShiftJis, {932, "CP932"}},
    {"Shift-JIS", CharsetKind::kShiftJis, {932, "CP932"}},
    {"windows-31j", CharsetKind::kShiftJis, {932, "CP932"}},
    {"cp932", CharsetKind::kShiftJis, {932, "CP932"}},
    {"x-sjis", CharsetKind::kShiftJis, {932, "CP932"}},
    {"EUC-JP", CharsetKind::kPlatform, {20932, "EUC-JP"}},
    {"x-euc-jp", CharsetKind::kPlatform, {20932, "EUC-JP"}},
    {"US-ASCII", CharsetKind::kAscii, {20127, "ASCII"}},
    {"ISO-8859-1", CharsetKind::kPlatform, {28591, "ISO-8859-1"}},
    {"ISO-8859-2", CharsetKind::kPlatform, {28592, "ISO-8859-2"}},
    {"ISO-8859-3", CharsetKind::kPlatform, {28593, "ISO-8859-3"}},
    {"ISO-8859-4", CharsetKind::kPlatform, {28594, "ISO-8859-4"}},
    {"ISO-8859-5", CharsetKind::kPlatform, {28595, "ISO-8859-5"}},
    {"ISO-8859-6", CharsetKind::kPlatform, {28596, "ISO-8859-6"}},
    {"ISO-8859-7", CharsetKind::kPlatform, {28597, "ISO-8859-7"}},
    {"ISO-8859-8", CharsetKind::kPlatform, {28598, "ISO-8859-8"}},
    {"ISO-8859-9", CharsetKind::kPlatform, {28599, "ISO-8859-9"}},
    {"ISO-8859-11", CharsetKind::kPlatform, {874, "CP874"}},
    {"ISO-8859-13", CharsetKind::kPlatform, {28603, "ISO-8859-13"}},
    {"ISO-8859-15", CharsetKind::kPlatform, {28605, "ISO-8859-15"}},
    {"latin1", CharsetKind::kPlatform, {28591, "ISO-8859-1"}},
    {"windows-1250", CharsetKind::kPlatform, {1250, "CP1250"}},
    {"windows-1251", CharsetKind::kPlatform, {1251, "CP1251"}},
    {"windows-1252", CharsetKind::kPlatform, {1252, "CP1252"}},
    {"windows-1253", CharsetKind::kPlatform, {1253, "CP1253"}},
    {"windows-1254", CharsetKind::kPlatform, {1254, "CP1254"}},
    {"windows-1255", CharsetKind::kPlatform, {1255, "CP1255"}},
    {"windows-1256", CharsetKind::kPlatform, {1256, "CP1256"}},
    {"windows-1257", CharsetKind::kPlatform, {1257, "CP1257"}},
    {"windows-1258", CharsetKind::kPlatform, {1258, "CP1258"}},
    {"cp1250", CharsetKind::kPlatform, {1250, "CP1250"}},
    {"cp1251", CharsetKind::kPlatform, {1251, "CP1251"}},
    {"cp1252", CharsetKind::kPlatform, {1252, "CP1252"}},
    {"KOI8-R", CharsetKind::kPlatform, {20866, "KOI8-R"}},
    {"ascii", CharsetKind::kAscii, {20127, "ASCII"}},
}};

bool IsNameByte(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' ||
         c == '_' || c == '.' || c == ':';
}

}  // namespace

std::optional<CharsetEntry> FindCharset(std::string_view charsetName) {
  for (const CharsetEntry& entry : kPrefixSets) {
    if (EqualsNoCase(charsetName.substr(0, entry.name.size()), entry.name)) return entry;
  }
  size_t end = 0;
  while (end < charsetName.size() && IsNameByte(charsetName[end])) ++end;
  const std::string_view name = charsetName.substr(0, end);
  for (const CharsetEntry& entry : kWholeNameSets) {
    if (EqualsNoCase(name, entry.name)) return entry;
  }
  return std::nullopt;
}

}  // namespace postwink
