// The FILTER%d and MANAGE%d value readers, and the filter table read from a whole INI text.
// Input: the first byte chooses; the rest is the value or the INI text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/config/ini_file.h"
#include "core/filter/filter_store.h"
#include "core/filter/filter_value.h"

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
      // What is written reads back the same, except a name that ends in "\" (which the format
      // cannot tell from an escaped comma).
      if (rule.headerName.empty() || rule.headerName.back() != '\\') {
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
