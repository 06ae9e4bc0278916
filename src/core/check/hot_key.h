#pragma once
// The HOTKEY setting holds what a hot-key control reports: its modifier flags in the low word
// and the virtual key in the high word. RegisterHotKey wants other modifier bits.

#include <cstdint>

namespace postwink {

struct HotKeyCombination {
  uint32_t modifiers = 0;  // MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4, MOD_NOREPEAT 0x4000
  uint32_t virtualKey = 0;
};

inline constexpr uint32_t kHotKeyNoRepeat = 0x4000;

inline HotKeyCombination HotKeyFromSetting(int value) {
  // Hot-key control flags: Shift 1, Ctrl 2, Alt 4; 8 marks an extended key (an arrow, Insert,
  // Delete, Home, End, the page keys), which the system tells apart by its virtual key alone.
  constexpr uint32_t kShift = 1, kControl = 2, kAlt = 4;
  constexpr uint32_t kModAlt = 1, kModControl = 2, kModShift = 4;
  uint32_t bits = static_cast<uint32_t>(value);
  uint32_t flags = bits & 0xFFFF;
  HotKeyCombination combination;
  // A key held down would otherwise toggle the list open and shut with every repeat.
  combination.modifiers = kHotKeyNoRepeat;
  if (flags & kAlt) combination.modifiers |= kModAlt;
  if (flags & kControl) combination.modifiers |= kModControl;
  if (flags & kShift) combination.modifiers |= kModShift;
  combination.virtualKey = bits >> 16;
  return combination;
}

// The hot-key control's own value is one word: the virtual key in the low byte, the modifier
// flags in the high byte.
inline uint16_t HotKeyControlValue(int setting) {
  uint32_t bits = static_cast<uint32_t>(setting);
  return static_cast<uint16_t>(((bits & 0xFF) << 8) | ((bits >> 16) & 0xFF));
}

inline int HotKeySettingFromControl(uint16_t value) {
  uint32_t virtualKey = value & 0xFFu;
  uint32_t flags = (value >> 8) & 0xFFu;
  return static_cast<int>((virtualKey << 16) | flags);
}

}  // namespace postwink
