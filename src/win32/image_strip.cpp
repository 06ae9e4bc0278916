#include "win32/image_strip.h"

#include <commctrl.h>

#include "core/ui/scale.h"
#include "win32/wnd.h"

namespace postwink::win {

namespace {

constexpr std::array<int, 4> kDrawnSizes = {16, 20, 24, 32};

}  // namespace

HIMAGELIST LoadImageStrip(const StripResources& strips, int dpi) {
  const int size = ScalePixels(16, dpi);
  const int drawn = PickIconSize(kDrawnSizes, size);
  int strip = strips[0];
  for (size_t i = 0; i < kDrawnSizes.size(); ++i) {
    if (kDrawnSizes[i] == drawn) strip = strips[i];
  }
  auto load = [strip](int width, int height) {
    return static_cast<HBITMAP>(LoadImageW(ProgramInstance(), MAKEINTRESOURCEW(strip), IMAGE_BITMAP,
                                           width, height, LR_CREATEDIBSECTION));
  };
  HBITMAP bitmap = load(0, 0);
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof info, &info) || info.bmHeight <= 0) {
    if (bitmap) DeleteObject(bitmap);
    return nullptr;
  }
  const int count = info.bmWidth / info.bmHeight;
  if (drawn != size) {
    // A scale between the drawn ones: the next larger strip, shrunk.
    DeleteObject(bitmap);
    bitmap = load(size * count, size);
    if (!bitmap) return nullptr;
  }
  HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, count, 4);
  if (images) ImageList_AddMasked(images, bitmap, RGB(0xFF, 0x00, 0xFF));
  DeleteObject(bitmap);
  return images;
}

}  // namespace postwink::win
