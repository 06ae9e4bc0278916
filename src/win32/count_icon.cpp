#include "win32/count_icon.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace postwink::win {
namespace {

BITMAPINFO TopDown32(int size) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = -size;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// The picture's pixels with their alpha; a picture without alpha takes it from its mask.
std::vector<uint32_t> ReadPixels(HDC dc, HICON picture, int size) {
  ICONINFO parts{};
  if (!GetIconInfo(picture, &parts)) return {};
  GdiHandle colour(parts.hbmColor), mask(parts.hbmMask);
  std::vector<uint32_t> pixels(static_cast<size_t>(size) * size);
  BITMAPINFO info = TopDown32(size);
  if (!colour || GetDIBits(dc, static_cast<HBITMAP>(colour.get()), 0, size, pixels.data(), &info,
                           DIB_RGB_COLORS) != size) {
    return {};
  }
  if (std::any_of(pixels.begin(), pixels.end(), [](uint32_t p) { return (p >> 24) != 0; })) {
    return pixels;
  }
  std::vector<uint32_t> transparent(pixels.size());
  info = TopDown32(size);
  if (!mask || GetDIBits(dc, static_cast<HBITMAP>(mask.get()), 0, size, transparent.data(), &info,
                         DIB_RGB_COLORS) != size) {
    return {};
  }
  for (size_t i = 0; i < pixels.size(); ++i) {
    if ((transparent[i] & 0xFFFFFF) == 0) pixels[i] |= 0xFF000000u;
  }
  return pixels;
}

}  // namespace

IconHandle DrawCountOnIcon(HICON picture, const std::wstring& text, int size) {
  if (picture == nullptr || text.empty() || size < 8) return {};
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  if (!dc) return {};
  IconHandle result;
  std::vector<uint32_t> pixels = ReadPixels(dc, picture, size);
  BITMAPINFO info = TopDown32(size);
  void* bits = nullptr;
  GdiHandle colour(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!pixels.empty() && colour && bits) {
    std::memcpy(bits, pixels.data(), pixels.size() * sizeof(uint32_t));
    HGDIOBJ oldBitmap = SelectObject(dc, colour.get());
    const int height = size * 9 / 16;
    const int width = text.size() > 1 ? size * 13 / 16 : height;
    RECT badge{size - width, size - height, size, size};
    GdiHandle red(CreateSolidBrush(RGB(0xD3, 0x2F, 0x2F)));
    FillRect(dc, &badge, static_cast<HBRUSH>(red.get()));
    GdiHandle font(CreateFontW(-(height - 1), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               NONANTIALIASED_QUALITY, DEFAULT_PITCH, L"Tahoma"));
    HGDIOBJ oldFont = SelectObject(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &badge,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    GdiFlush();
    // GDI leaves the alpha of what it drew at 0; the badge is opaque.
    auto* out = static_cast<uint32_t*>(bits);
    for (int y = badge.top; y < badge.bottom; ++y) {
      for (int x = badge.left; x < badge.right; ++x) out[y * size + x] |= 0xFF000000u;
    }
    // The alpha decides; a mask of zeros only keeps older systems from hiding the picture.
    std::vector<uint8_t> zeros(static_cast<size_t>((size + 15) / 16 * 2) * size);
    GdiHandle mask(CreateBitmap(size, size, 1, 1, zeros.data()));
    ICONINFO parts{TRUE, 0, 0, static_cast<HBITMAP>(mask.get()),
                   static_cast<HBITMAP>(colour.get())};
    if (mask) result.reset(CreateIconIndirect(&parts));
  }
  DeleteDC(dc);
  return result;
}

}  // namespace postwink::win
