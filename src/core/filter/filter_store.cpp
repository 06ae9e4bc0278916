#include "core/filter/filter_store.h"

#include <algorithm>
#include <string>

#include "core/filter/filter_value.h"
#include "core/text/utf8.h"

namespace postwink {

namespace {

constexpr const char* kMainSection = "Postwink";

std::string KeyName(const char* prefix, int index, const char* suffix = "") {
  return prefix + std::to_string(index) + suffix;
}

std::string ReadPattern(const IniFile& ini, const char* section, const std::string& key) {
  return std::string(CutToChars(ini.GetString(section, key, ""), kMaxFilterText));
}

}  // namespace

FilterTable LoadFilters(const IniFile& ini) {
  FilterTable table;
  const int manageCount = ini.GetInt(kMainSection, "MANAGE_NUM", 0);
  if (manageCount < 0) return table;
  const bool legacy = manageCount > 0;
  const int count =
      std::min(legacy ? manageCount : ini.GetInt(kFilterSection, "FILTER_NUM", 0), kMaxFilterRules);
  for (int i = 0; i < count; ++i) {
    FilterRule rule;
    if (legacy) {
      ReadManageValue(ini.GetString(kMainSection, KeyName("MANAGE", i), ""), rule);
      rule.pattern = ReadPattern(ini, kMainSection, KeyName("MANAGE", i, "_STR"));
    } else {
      ReadFilterValue(ini.GetString(kFilterSection, KeyName("FILTER", i), ""), rule);
      rule.pattern = ReadPattern(ini, kFilterSection, KeyName("FILTER", i, "_STR"));
    }
    table.rules.push_back(std::move(rule));
  }
  return table;
}

void SaveFilters(IniFile& ini, const FilterTable& table) {
  const int count = static_cast<int>(std::min<size_t>(table.rules.size(), kMaxFilterRules));
  ini.WriteInt(kFilterSection, "FILTER_NUM", count);
  for (int i = 0; i < count; ++i) {
    ini.WriteString(kFilterSection, KeyName("FILTER", i), FormatFilterValue(table.rules[i]));
    ini.WriteString(kFilterSection, KeyName("FILTER", i, "_STR"), table.rules[i].pattern);
  }
  for (int i = count; i < kMaxFilterRules; ++i) {
    ini.DeleteKey(kFilterSection, KeyName("FILTER", i));
    ini.DeleteKey(kFilterSection, KeyName("FILTER", i, "_STR"));
  }
  ini.DeleteKey(kMainSection, "MANAGE_NUM");
  for (int i = 0; i < kMaxFilterRules; ++i) {
    ini.DeleteKey(kMainSection, KeyName("MANAGE", i));
    ini.DeleteKey(kMainSection, KeyName("MANAGE", i, "_STR"));
  }
}

}  // namespace postwink
