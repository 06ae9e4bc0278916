#include "core/ui/scale.h"

#include <algorithm>
#include <cstdint>

namespace postwink {

namespace {

// Monitors run from 96 DPI (100 %) to 480 (500 %); anything outside a wider band is a fault.
constexpr int kLowestDpi = 48;
constexpr int kHighestDpi = 960;

// a * b / c rounded to the nearest, halves away from zero, without overflow.
int MulDivRound(int a, int b, int c) {
  const int64_t product = static_cast<int64_t>(a) * b;
  const int64_t half = c / 2;
  const int64_t q = product >= 0 ? (product + half) / c : -((-product + half) / c);
  return static_cast<int>(
      std::clamp<int64_t>(q, INT32_MIN, INT32_MAX));  // a hand-edited size cannot overflow
}

// Moves a span [start, start + length) inside [low, high) where it fits, else to its start.
int KeepInside(int start, int length, int low, int high) {
  if (start + length > high) start = high - length;
  return std::max(start, low);
}

}  // namespace

int SaneDpi(int dpi) { return dpi >= kLowestDpi && dpi <= kHighestDpi ? dpi : kDesignDpi; }

int ScalePixels(int designPixels, int dpi) {
  return MulDivRound(designPixels, SaneDpi(dpi), kDesignDpi);
}

int RescalePixels(int pixels, int fromDpi, int toDpi) {
  return MulDivRound(pixels, SaneDpi(toDpi), SaneDpi(fromDpi));
}

int FontHeightForDpi(int tenthsOfPoint, int dpi) {
  return -MulDivRound(tenthsOfPoint, SaneDpi(dpi), 720);
}

int SmallIconSize(int dpi) { return ScalePixels(16, dpi); }

int PickIconSize(std::span<const int> available, int wanted) {
  int larger = 0;
  int largest = 0;
  for (int size : available) {
    if (size == wanted) return size;
    if (size > wanted && (larger == 0 || size < larger)) larger = size;
    largest = std::max(largest, size);
  }
  return larger != 0 ? larger : largest;
}

Rect RectAfterDpiChange(const Rect& current, int oldDpi, int newDpi, const Rect& suggested,
                        const Rect& newWorkArea) {
  Rect r = suggested;
  if (r.Width() <= 0 || r.Height() <= 0) {
    const int width = RescalePixels(current.Width(), oldDpi, newDpi);
    const int height = RescalePixels(current.Height(), oldDpi, newDpi);
    r = {current.left, current.top, current.left + width, current.top + height};
  }
  if (newWorkArea.Width() <= 0 || newWorkArea.Height() <= 0) return r;
  const int left = KeepInside(r.left, r.Width(), newWorkArea.left, newWorkArea.right);
  const int top = KeepInside(r.top, r.Height(), newWorkArea.top, newWorkArea.bottom);
  return r.Offset(left - r.left, top - r.top);
}

}  // namespace postwink
