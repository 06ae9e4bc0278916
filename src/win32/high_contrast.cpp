#include "win32/high_contrast.h"

#include "win32/platform/windows_headers.h"

namespace postwink::win {
namespace {

std::optional<bool> assumed;

}  // namespace

bool HighContrastOn() {
  if (assumed) return *assumed;
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

void AssumeHighContrast(std::optional<bool> on) { assumed = on; }

}  // namespace postwink::win
