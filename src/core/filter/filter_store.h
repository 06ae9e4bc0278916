#pragma once
// The filter table in Postwink.ini: section "Filter" (FILTER_NUM, FILTER%d, FILTER%d_STR), and
// the legacy MANAGE_NUM, MANAGE%d, MANAGE%d_STR of [Postwink] that older files hold.

#include "core/config/ini_file.h"
#include "core/filter/filter_rule.h"

namespace postwink {

inline constexpr const char* kFilterSection = "Filter";

// Reads the legacy keys when MANAGE_NUM is positive, otherwise section "Filter" (a negative
// MANAGE_NUM gives no rules). Counts above kMaxFilterRules and texts above kMaxFilterText
// bytes are cut to those limits.
FilterTable LoadFilters(const IniFile& ini);

// Writes section "Filter", deletes its keys beyond the table up to index 29, and deletes the
// legacy MANAGE keys, so that a legacy table is converted at its first save.
void SaveFilters(IniFile& ini, const FilterTable& table);

}  // namespace postwink
