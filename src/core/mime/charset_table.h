#pragma once
// The character sets that mail names and how each one reaches code page 932.

#include <optional>
#include <string_view>

#include "core/platform/system.h"

namespace postwink {

enum class CharsetKind {
  kIso2022Jp,
  kIso2022Kr,
  kUtf7,
  kUtf8,
  kShiftJis,  // already code page 932
  kAscii,
  kPlatform,  // decoded by the platform into UTF-16
};

struct CharsetEntry {
  std::string_view name;
  CharsetKind kind;
  CodePageInfo codePage;  // for kPlatform
};

// The set named at the start of `charsetName`: ISO-2022-JP, ISO-2022-KR, UTF-7 and UTF-8 by
// prefix, the others as the whole name (which ends at the first byte that no charset name
// holds, such as "?", a quote, ";" or white space). nullopt when the name is not known.
std::optional<CharsetEntry> FindCharset(std::string_view charsetName);

}  // namespace postwink
