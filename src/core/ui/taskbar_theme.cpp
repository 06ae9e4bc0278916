#include "core/ui/taskbar_theme.h"

namespace postwink {

TaskbarTheme TaskbarThemeFromSetting(std::optional<uint32_t> systemUsesLightTheme) {
  return systemUsesLightTheme.value_or(0) != 0 ? TaskbarTheme::kLight : TaskbarTheme::kDark;
}

}  // namespace postwink
