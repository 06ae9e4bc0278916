#pragma once
// The character sets that mail names and how each one reaches UTF-8.

#include <optional>
#include <string_view>

#include "core/platform/system.h"

namespace postwink {

enum class CharsetKind {
  kIso2022Jp,
  kIso2022Kr,
  kUtf7,
  kUtf8,
  kShiftJis,    // code page 932, as Windows reads it
  kEucJp,       // read as Windows reads its Shift_JIS form
  kAscii,       // the bytes stand as they came
  kSingleByte,  // decoded by the platform into UTF-16, one byte a character (Latin, Cyrillic, ...)
  kMultiByte,   // decoded by the platform into UTF-16 (EUC-JP, Chinese and Korean sets)
  kGb18030,     // its GBK part by the platform; the four-byte characters become "?"
};

struct CharsetEntry {
  std::string_view name;
  CharsetKind kind;
  CodePageInfo codePage;  // for kSingleByte and kMultiByte
};

// EUC-KR as both platforms decode it (UHC, its superset): ISO-2022-KR goes through it.
inline constexpr CodePageInfo kEucKrCodePage{949, "CP949"};

// The set named at the start of `charsetName`. The name ends at the first byte that no charset
// name holds (such as "?", "*", a quote, ";" or white space) and is compared without regard to
// case, "-", "_", "." and ":" (so utf8, UTF_8 and utf-8 are one name). Names beginning with
// ISO-2022-JP, ISO-2022-KR, UTF-7 and UTF-8 match by that prefix, the others as the whole name.
// nullopt when the name is not known.
std::optional<CharsetEntry> FindCharset(std::string_view charsetName);

}  // namespace postwink
