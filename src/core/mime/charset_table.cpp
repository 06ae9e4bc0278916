#include "core/mime/charset_table.h"

#include <array>
#include <string>

namespace postwink {
namespace {

// Keys are written as they compare: small letters and digits only.
struct Row {
  std::string_view key;
  CharsetEntry entry;
};

constexpr CharsetEntry kJis{"ISO-2022-JP", CharsetKind::kIso2022Jp, {50220, "ISO-2022-JP"}};
constexpr CharsetEntry kKr{"ISO-2022-KR", CharsetKind::kIso2022Kr, {50225, "ISO-2022-KR"}};
constexpr CharsetEntry kUtf7{"UTF-7", CharsetKind::kUtf7, {65000, "UTF-7"}};
constexpr CharsetEntry kUtf8{"UTF-8", CharsetKind::kUtf8, {65001, "UTF-8"}};
constexpr CharsetEntry kSjis{"Shift_JIS", CharsetKind::kShiftJis, {932, "CP932"}};
constexpr CharsetEntry kAscii{"US-ASCII", CharsetKind::kAscii, {20127, "ASCII"}};
constexpr CharsetEntry kEucJp{"EUC-JP", CharsetKind::kEucJp, {20932, "EUC-JP"}};
// The Chinese and Korean sets by their Windows forms, which are supersets of the names that
// mail gives (GB2312 text is GBK, EUC-KR text is UHC), read alike by iconv.
constexpr CharsetEntry kGbk{"GBK", CharsetKind::kMultiByte, {936, "CP936"}};
// GB18030 is GBK plus four-byte characters; Wine (and so the tests of the Windows side) lacks
// its code page, and hardly any of those characters is in 932, so both sides take its GBK part.
constexpr CharsetEntry kGb18030{"GB18030", CharsetKind::kGb18030, {936, "CP936"}};
constexpr CharsetEntry kBig5{"Big5", CharsetKind::kMultiByte, {950, "CP950"}};
constexpr CharsetEntry kEucKr{"EUC-KR", CharsetKind::kMultiByte, kEucKrCodePage};

constexpr CharsetEntry SingleByte(std::string_view name, uint32_t windows, const char* iconv) {
  return {name, CharsetKind::kSingleByte, {windows, iconv}};
}

constexpr std::array<Row, 4> kPrefixSets = {{
    {"iso2022jp", kJis},
    {"iso2022kr", kKr},
    {"utf7", kUtf7},
    {"utf8", kUtf8},
}};

// Only sets that both Windows (by code page number) and iconv convert, so both platforms show
// the same text. ISO-8859-10, -14 and -16 have no Windows code page and keep their bytes.
constexpr std::array<Row, 83> kWholeNameSets = {{
    {"csiso2022jp", kJis},
    {"unicode11utf7", kUtf7},
    {"csunicode11utf7", kUtf7},
    {"xunicode20utf7", kUtf7},
    {"unicode11utf8", kUtf8},
    {"xunicode20utf8", kUtf8},
    {"shiftjis", kSjis},
    {"sjis", kSjis},
    {"xsjis", kSjis},
    {"csshiftjis", kSjis},
    {"mskanji", kSjis},
    {"windows31j", kSjis},
    {"cswindows31j", kSjis},
    {"cp932", kSjis},
    {"ms932", kSjis},
    {"xmscp932", kSjis},
    {"eucjp", kEucJp},
    {"xeucjp", kEucJp},
    {"xeuc", kEucJp},
    {"ujis", kEucJp},
    {"cseucpkdfmtjapanese", kEucJp},
    {"usascii", kAscii},
    {"ascii", kAscii},
    {"us", kAscii},
    {"csascii", kAscii},
    {"ansix341968", kAscii},
    {"iso646us", kAscii},
    {"gb2312", kGbk},
    {"csgb2312", kGbk},
    {"euccn", kGbk},
    {"xeuccn", kGbk},
    {"gbk", kGbk},
    {"xgbk", kGbk},
    {"cp936", kGbk},
    {"ms936", kGbk},
    {"windows936", kGbk},
    {"gb18030", kGb18030},
    {"big5", kBig5},
    {"csbig5", kBig5},
    {"xxbig5", kBig5},
    {"big5hkscs", kBig5},
    {"cp950", kBig5},
    {"windows950", kBig5},
    {"euckr", kEucKr},
    {"cseuckr", kEucKr},
    {"ksc56011987", kEucKr},
    {"ksc5601", kEucKr},
    {"uhc", kEucKr},
    {"cp949", kEucKr},
    {"windows949", kEucKr},
    {"iso88591", SingleByte("ISO-8859-1", 28591, "ISO-8859-1")},
    {"latin1", SingleByte("ISO-8859-1", 28591, "ISO-8859-1")},
    {"iso88592", SingleByte("ISO-8859-2", 28592, "ISO-8859-2")},
    {"latin2", SingleByte("ISO-8859-2", 28592, "ISO-8859-2")},
    {"iso88593", SingleByte("ISO-8859-3", 28593, "ISO-8859-3")},
    {"iso88594", SingleByte("ISO-8859-4", 28594, "ISO-8859-4")},
    {"iso88595", SingleByte("ISO-8859-5", 28595, "ISO-8859-5")},
    {"iso88596", SingleByte("ISO-8859-6", 28596, "ISO-8859-6")},
    {"iso88597", SingleByte("ISO-8859-7", 28597, "ISO-8859-7")},
    {"iso88598", SingleByte("ISO-8859-8", 28598, "ISO-8859-8")},
    {"iso88599", SingleByte("ISO-8859-9", 28599, "ISO-8859-9")},
    {"latin5", SingleByte("ISO-8859-9", 28599, "ISO-8859-9")},
    {"iso885911", SingleByte("ISO-8859-11", 874, "CP874")},
    {"iso885913", SingleByte("ISO-8859-13", 28603, "ISO-8859-13")},
    {"iso885915", SingleByte("ISO-8859-15", 28605, "ISO-8859-15")},
    {"latin9", SingleByte("ISO-8859-15", 28605, "ISO-8859-15")},
    {"windows874", SingleByte("windows-874", 874, "CP874")},
    {"windows1250", SingleByte("windows-1250", 1250, "CP1250")},
    {"windows1251", SingleByte("windows-1251", 1251, "CP1251")},
    {"windows1252", SingleByte("windows-1252", 1252, "CP1252")},
    {"windows1253", SingleByte("windows-1253", 1253, "CP1253")},
    {"windows1254", SingleByte("windows-1254", 1254, "CP1254")},
    {"windows1255", SingleByte("windows-1255", 1255, "CP1255")},
    {"windows1256", SingleByte("windows-1256", 1256, "CP1256")},
    {"windows1257", SingleByte("windows-1257", 1257, "CP1257")},
    {"windows1258", SingleByte("windows-1258", 1258, "CP1258")},
    {"cp1250", SingleByte("windows-1250", 1250, "CP1250")},
    {"cp1251", SingleByte("windows-1251", 1251, "CP1251")},
    {"cp1252", SingleByte("windows-1252", 1252, "CP1252")},
    {"koi8r", SingleByte("KOI8-R", 20866, "KOI8-R")},
    {"koi8u", SingleByte("KOI8-U", 21866, "KOI8-U")},
    {"cp866", SingleByte("IBM866", 866, "CP866")},
    {"ibm866", SingleByte("IBM866", 866, "CP866")},
}};

bool IsNameByte(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' ||
         c == '_' || c == '.' || c == ':';
}

// The name as the keys are written. Names are short; a longer run is no charset name.
constexpr size_t kMaxNameLength = 40;

std::string Key(std::string_view charsetName) {
  std::string key;
  for (size_t i = 0; i < charsetName.size() && IsNameByte(charsetName[i]); ++i) {
    const char c = charsetName[i];
    if (c >= 'A' && c <= 'Z') {
      key.push_back(static_cast<char>(c - 'A' + 'a'));
    } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      key.push_back(c);
    }
    if (key.size() > kMaxNameLength) break;
  }
  return key;
}

}  // namespace

std::optional<CharsetEntry> FindCharset(std::string_view charsetName) {
  const std::string key = Key(charsetName);
  for (const Row& row : kPrefixSets) {
    if (std::string_view(key).substr(0, row.key.size()) == row.key) return row.entry;
  }
  for (const Row& row : kWholeNameSets) {
    if (key == row.key) return row.entry;
  }
  return std::nullopt;
}

}  // namespace postwink
