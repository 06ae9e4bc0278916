#include "core/ui/taskbar_theme.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

TEST(TaskbarTheme, SwitchesOnlyOnTheThemesOwnChange) {
  constexpr auto kDark = TaskbarTheme::kDark;
  constexpr auto kLight = TaskbarTheme::kLight;
  struct Case {
    TaskbarTheme current;
    std::string_view area;
    std::optional<uint32_t> stored;
    std::optional<TaskbarTheme> expected;
  } cases[] = {
      {kDark, "ImmersiveColorSet", 1, kLight},
      {kLight, "ImmersiveColorSet", 0, kDark},
      // A value removed, or left by a hand that wrote a string, means the dark bar of old.
      {kLight, "ImmersiveColorSet", std::nullopt, kDark},
      {kDark, "ImmersiveColorSet", 0xFFFFFFFF, kLight},
      {kDark, "ImmersiveColorSet", 0, std::nullopt},
      {kLight, "ImmersiveColorSet", 1, std::nullopt},
      // Other changes (the work area, a policy) and the nameless one leave the pictures alone.
      {kDark, "Policy", 1, std::nullopt},
      {kDark, "", 1, std::nullopt},
      {kDark, "immersivecolorset2", 1, std::nullopt},
  };
  for (const Case& c : cases) {
    int reads = 0;
    auto read = [&] {
      ++reads;
      return c.stored;
    };
    EXPECT_EQ(ThemeAfterSettingChange(c.current, c.area, read), c.expected) << c.area;
    EXPECT_EQ(reads, c.area == "ImmersiveColorSet" ? 1 : 0) << c.area;
  }
}

}  // namespace
}  // namespace postwink
