#include "core/check/hot_key.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

TEST(HotKeyTest, ControlFlagsBecomeSystemModifiers) {
  // Held down, the key must not toggle the list open and shut: every combination asks for one
  // message per press.
  constexpr uint32_t kNoRepeat = 0x4000;
  struct Case {
    int value;
    uint32_t modifiers;
    uint32_t key;
  } cases[] = {
      {(0x41 << 16) | 4, 1, 0x41},     // Alt+A
      {(0x41 << 16) | 2, 2, 0x41},     // Ctrl+A
      {(0x70 << 16) | 1, 4, 0x70},     // Shift+F1
      {(0x7B << 16) | 7, 7, 0x7B},     // all three
      {(0x41 << 16) | 0x30, 0, 0x41},  // unknown flag bits are not modifiers
      // The control marks arrows, Insert, Delete, Home, End and the page keys as extended keys;
      // that is no modifier, and never the Windows key.
      {(0x25 << 16) | 8 | 2, 2, 0x25},  // Ctrl+Left
      {(0x2E << 16) | 8 | 4, 1, 0x2E},  // Alt+Delete
      {(0x22 << 16) | 0xF, 7, 0x22},    // Ctrl+Alt+Shift+Page Down
  };
  for (const Case& c : cases) {
    HotKeyCombination combination = HotKeyFromSetting(c.value);
    EXPECT_EQ(combination.modifiers, c.modifiers | kNoRepeat) << std::hex << c.value;
    EXPECT_EQ(combination.virtualKey, c.key) << std::hex << c.value;
  }
  // A negative setting (hand-edited) keeps its key in the high word.
  EXPECT_EQ(HotKeyFromSetting(static_cast<int>(0xFFFF0006u)).virtualKey, 0xFFFFu);
}

TEST(HotKeyTest, TheSettingAndTheHotKeyControlsWordConvertBothWays) {
  struct Case {
    int setting;
    uint16_t control;
  } cases[] = {
      {0, 0},
      {1900547, 0x031D},             // the default: Ctrl+Shift and the non-conversion key
      {(0x41 << 16) | 4, 0x0441},    // Alt+A
      {(0x7B << 16) | 0xF, 0x0F7B},  // every modifier
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HotKeyControlValue(c.setting), c.control) << c.setting;
    EXPECT_EQ(HotKeySettingFromControl(c.control), c.setting) << c.control;
  }
}

}  // namespace
}  // namespace postwink
