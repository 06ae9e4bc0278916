#pragma once
// Whether the user runs a high-contrast theme, in which the program's own colours give way to
// the system's. Tests set the answer instead of changing the whole desktop.

#include <optional>

namespace postwink::win {

bool HighContrastOn();
// none: ask the system again.
void AssumeHighContrast(std::optional<bool> on);

}  // namespace postwink::win
