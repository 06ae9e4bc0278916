#pragma once
// Pixels of drawn text for the window tests, and a search for a font's "no glyph" box in them:
// a character that no font at hand has draws as that box.

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "win32/handles.h"
#include "win32/platform/windows_headers.h"

namespace postwink::win::test {

constexpr int kCanvasWidth = 480;
constexpr int kCanvasHeight = 40;

// ＭＳ Ｐゴシック, the list's default face, at 16 pixels and without smoothing: a glyph has the
// same pixels wherever it stands.
inline LOGFONTW ListFont() {
  LOGFONTW lf{};
  lf.lfHeight = -16;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = NONANTIALIASED_QUALITY;
  std::wstring_view(L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF")
      .copy(lf.lfFaceName, LF_FACESIZE - 1);
  return lf;
}

// Ink on a plain background in a memory bitmap whose pixels the test reads directly: text drawn
// into it, or a window copied from the screen.
class Canvas {
 public:
  explicit Canvas(const LOGFONTW& font, int width = kCanvasWidth, int height = kCanvasHeight)
      : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_.reset(CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels_),
                                   nullptr, 0));
    oldBitmap_ = SelectObject(dc_, bitmap_.get());
    font_.reset(CreateFontIndirectW(&font));
    oldFont_ = SelectObject(dc_, font_.get());
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, RGB(0, 0, 0));
  }
  ~Canvas() {
    SelectObject(dc_, oldFont_);
    SelectObject(dc_, oldBitmap_);
    DeleteDC(dc_);
  }
  int width() const { return width_; }
  int height() const { return height_; }
  bool Valid() const { return pixels_ != nullptr && font_.valid(); }
  HDC dc() const { return dc_; }

  void Clear() {
    background_ = 0xFFFFFF;
    RECT all{0, 0, width_, height_};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    GdiFlush();
  }
  bool Ink(int x, int y) const {
    return (pixels_[y * width_ + x] & 0xFFFFFF) != (background_ & 0xFFFFFF);
  }
  HFONT font() const { return static_cast<HFONT>(font_.get()); }

  // The screen's pixels of r (screen coordinates), ink being what differs from background.
  void CopyScreen(const RECT& r, COLORREF background) {
    Clear();
    HDC screen = GetDC(nullptr);
    BitBlt(dc_, 0, 0, std::min<int>(r.right - r.left, width_),
           std::min<int>(r.bottom - r.top, height_), screen, r.left, r.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    GdiFlush();
    SetBackground(background);
  }
  void SetBackground(COLORREF background) {
    // DIB pixels are 0x00RRGGBB, a COLORREF 0x00BBGGRR.
    background_ =
        (GetRValue(background) << 16) | (GetGValue(background) << 8) | GetBValue(background);
  }

  // The pixels of the font's "no glyph" glyph, cut to its ink.
  std::vector<std::vector<bool>> NoGlyphBox() {
    Clear();
    WORD none = 0;
    ExtTextOutW(dc_, 4, 4, ETO_GLYPH_INDEX, nullptr, reinterpret_cast<LPCWSTR>(&none), 1, nullptr);
    GdiFlush();
    return InkBox();
  }

  std::vector<std::vector<bool>> InkBox() const {
    int left = width_, top = height_, right = -1, bottom = -1;
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        if (!Ink(x, y)) continue;
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
    std::vector<std::vector<bool>> box;
    for (int y = top; y <= bottom; ++y) {
      box.emplace_back();
      for (int x = left; x <= right; ++x) box.back().push_back(Ink(x, y));
    }
    return box;
  }

  // Whether the pattern appears anywhere, pixel for pixel, with blank pixels to its sides.
  bool Contains(const std::vector<std::vector<bool>>& pattern) const {
    return Contains(pattern, {0, 0, width_, height_});
  }
  // The same inside area only.
  bool Contains(const std::vector<std::vector<bool>>& pattern, const RECT& area) const {
    if (pattern.empty()) return false;
    const int h = static_cast<int>(pattern.size());
    const int w = static_cast<int>(pattern[0].size());
    const int right = std::min<int>(area.right, width_);
    const int bottom = std::min<int>(area.bottom, height_);
    for (int top = std::max<int>(0, area.top); top + h <= bottom; ++top) {
      for (int left = std::max<int>(1, area.left); left + w < right; ++left) {
        bool same = true;
        for (int y = 0; y < h && same; ++y) {
          same = !Ink(left - 1, top + y) && !Ink(left + w, top + y);
          for (int x = 0; x < w && same; ++x) same = Ink(left + x, top + y) == pattern[y][x];
        }
        if (same) return true;
      }
    }
    return false;
  }

  int InkColumns() const {
    int count = 0;
    for (int x = 0; x < width_; ++x) {
      for (int y = 0; y < height_; ++y) {
        if (Ink(x, y)) {
          ++count;
          break;
        }
      }
    }
    return count;
  }

 private:
  HDC dc_ = nullptr;
  GdiHandle bitmap_;
  GdiHandle font_;
  uint32_t* pixels_ = nullptr;
  uint32_t background_ = 0xFFFFFF;
  int width_;
  int height_;
  HGDIOBJ oldBitmap_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
};

struct Script {
  const char* name;
  const wchar_t* text;
  bool inJapaneseFace;  // whether the list's Japanese face has every glyph itself
};

inline const Script kScripts[] = {
    {"Hangul", L"\xACAC\xC801\xC11C \xD68C\xC758", false},  // 견적서 회의
    {"simplified Chinese", L"\x4F1A\x8BAE\x901A\x77E5\xFF1A\x5173\x4E8E", false},  // 会议通知：关于
    {"Thai", L"\x0E2A\x0E27\x0E31\x0E2A\x0E14\x0E35", false},               // สวัสดี
    {"emoji", L"Sale \xD83C\xDF89 50%", false},                             // 🎉
    {"Greek", L"\x039A\x03B1\x03BB\x03B7\x03BC\x03AD\x03C1\x03B1", false},  // Καλημέρα
    // 会議 👨‍👩‍👧 見積: a joiner sequence amid Japanese; the joiners themselves
    // draw nothing.
    {"joined emoji in Japanese",
     L"\x4F1A\x8B70 \xD83D\xDC68\x200D\xD83D\xDC69\x200D\xD83D\xDC67 \x898B\x7A4D", false},
    {"accented Latin", L"Jos\x00E9 M\x00FCller, R\x00E9union \x00E0 15h", true},
};

}  // namespace postwink::win::test
