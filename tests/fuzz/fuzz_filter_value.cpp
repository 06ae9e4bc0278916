// The FILTER%d and MANAGE%d value readers, and the filter table read from a whole INI text.
// Input: the first byte chooses; the rest is the value or the INI text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/config/ini_file.h"
#include "core/filter/filter_store.h"
#include "core/filter/filter_value.h"
#include "core/text/cp932.h"

namespace {

bool EndsWithLoneBackslash(std::string_view text) {
  if (text.empty() || text.back() != '\\') return false;
  size_t pos = 0;
  size_t last = 0;
  while (pos < text.size()) {
    last = pos;
    pos += postwink::CharLength(text, pos);
  }
  return last == text.size() - 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace postwink;
  if (size == 0) return 0;
  std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 3) {
    case 0: {
      FilterRule rule;
      ReadFilterValue(input, rule);
      if (rule.headerName.size() > kMaxFilterText) __builtin_trap();
      if (rule.whenAbsent != 0 && rule.whenAbsent != 1) __builtin_trap();
      // What is written reads back the same, except a name that ends in a lone "\" (which
      // the format cannot tell from an escaped comma).
      if (!EndsWithLoneBackslash(rule.headerName)) {
        FilterRule back;
        ReadFilterValue(FormatFilterValue(rule), back);
        if (!(back == rule)) __builtin_trap();
      }
      break;
    }
    case 1: {
      FilterRule rule;
      ReadManageValue(input, rule);
      break;
    }
    default: {
      IniFile ini = IniFile::Parse(input);
      FilterTable table = LoadFilters(ini);
      if (table.rules.size() > static_cast<size_t>(kMaxFilterRules)) __builtin_trap();
      for (const FilterRule& rule : table.rules) {
        if (rule.pattern.size() > kMaxFilterText) __builtin_trap();
      }
      SaveFilters(ini, table);
      break;
    }
  }
  return 0;
}
