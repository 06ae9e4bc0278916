#pragma once
// Which of the tray's two picture sets reads on the task bar: Windows keeps the task bar's
// theme in SystemUsesLightTheme and announces a change as a setting change named
// "ImmersiveColorSet".

#include <cstdint>
#include <optional>
#include <string_view>

namespace postwink {

enum class TaskbarTheme { kDark, kLight };

// The stored value, or none when it is missing or not a number: systems before the light task
// bar have none and a dark bar.
TaskbarTheme TaskbarThemeFromSetting(std::optional<uint32_t> systemUsesLightTheme);

// The theme to switch to after a setting change in area (empty when the message named none), or
// none when the pictures stay. readSetting is asked only for the theme's own change.
template <typename ReadSetting>
std::optional<TaskbarTheme> ThemeAfterSettingChange(TaskbarTheme current, std::string_view area,
                                                    ReadSetting&& readSetting) {
  if (area != "ImmersiveColorSet") return std::nullopt;
  TaskbarTheme now = TaskbarThemeFromSetting(readSetting());
  if (now == current) return std::nullopt;
  return now;
}

}  // namespace postwink
