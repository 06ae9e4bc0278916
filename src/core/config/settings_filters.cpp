#include "core/config/settings_filters.h"

namespace postwink {

// The filter table is not read yet, so a save must not touch its keys: "Filter" and the MANAGE
// keys stay in the file exactly as they are until the table's own reader and writer join here.
void LoadFilterSettings(const IniFile&, Settings&) {}
void SaveFilterSettings(IniFile&, const Settings&) {}

}  // namespace postwink
