#pragma once
// The number fields of the settings pages: their ranges, and reading a field's text the way the
// framework's integer exchange does, with its messages.

#include <optional>
#include <string>
#include <string_view>

namespace postwink {

struct NumberRange {
  int min;
  int max;
};

inline constexpr NumberRange kIntervalRange{1, 10000};     // TIMER, minutes
inline constexpr NumberRange kPortRange{0, 65535};         // PORT
inline constexpr NumberRange kOpenSecondsRange{1, 600};    // DISP_SEC
inline constexpr NumberRange kDrawMsRange{0, 10000};       // DRAW_SEC
inline constexpr NumberRange kPreviewHeightRange{0, 500};  // PREVIEW_HEIGHT

struct NumberField {
  std::optional<int> value;  // none: refused
  std::string message;       // why, for the user
};

// Blanks around, an optional sign and decimal digits make an integer; anything else, or a value
// outside the range, is refused.
NumberField ReadNumberField(std::string_view text, NumberRange range);

}  // namespace postwink
