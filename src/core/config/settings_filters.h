#pragma once
// The seam where the filter table joins the settings file: after USERICON when reading, and as
// the last step of a save. The filter table owns section "Filter" and the legacy MANAGE keys of
// [Postwink]; whatever it does not write stays in the file as it was.

#include "core/config/ini_file.h"
#include "core/config/settings.h"

namespace postwink {

void LoadFilterSettings(const IniFile& ini, Settings& settings);
void SaveFilterSettings(IniFile& ini, const Settings& settings);

}  // namespace postwink
