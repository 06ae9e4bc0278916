#include "core/config/settings_filters.h"

#include "core/filter/filter_store.h"

namespace postwink {

void LoadFilterSettings(const IniFile& ini, Settings& settings) {
  settings.filters = LoadFilters(ini);
}

void SaveFilterSettings(IniFile& ini, const Settings& settings) {
  SaveFilters(ini, settings.filters);
}

}  // namespace postwink
