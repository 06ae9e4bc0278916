// Every character of a line draws: where the list's Japanese face has no glyph, a font of the
// character's script stands in. A missing glyph shows as the face's "no glyph" box, so the
// line is searched for that box's exact pixels.
#include "win32/controls/script_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "win32/handles.h"

namespace postwink::win {
namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 40;

// Black ink on white in a memory bitmap whose pixels the test reads directly.
class Canvas {
 public:
  explicit Canvas(const wchar_t* face) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_.reset(CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels_),
                                   nullptr, 0));
    oldBitmap_ = SelectObject(dc_, bitmap_.get());
    font_.reset(CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                            DEFAULT_PITCH, face));
    oldFont_ = SelectObject(dc_, font_.get());
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, RGB(0, 0, 0));
  }
  ~Canvas() {
    SelectObject(dc_, oldFont_);
    SelectObject(dc_, oldBitmap_);
    DeleteDC(dc_);
  }
  bool Valid() const { return pixels_ != nullptr && font_.valid(); }
  HDC dc() const { return dc_; }

  void Clear() {
    RECT all{0, 0, kWidth, kHeight};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    GdiFlush();
  }
  bool Ink(int x, int y) const { return (pixels_[y * kWidth + x] & 0xFFFFFF) != 0xFFFFFF; }

  // The pixels of the font's "no glyph" glyph, cut to its ink.
  std::vector<std::vector<bool>> NoGlyphBox() {
    Clear();
    WORD none = 0;
    ExtTextOutW(dc_, 4, 4, ETO_GLYPH_INDEX, nullptr, reinterpret_cast<LPCWSTR>(&none), 1, nullptr);
    GdiFlush();
    return InkBox();
  }

  std::vector<std::vector<bool>> InkBox() const {
    int left = kWidth, top = kHeight, right = -1, bottom = -1;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
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
    if (pattern.empty()) return false;
    const int h = static_cast<int>(pattern.size());
    const int w = static_cast<int>(pattern[0].size());
    for (int top = 0; top + h <= kHeight; ++top) {
      for (int left = 1; left + w < kWidth; ++left) {
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
    for (int x = 0; x < kWidth; ++x) {
      for (int y = 0; y < kHeight; ++y) {
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
  HGDIOBJ oldBitmap_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
};

struct Script {
  const char* name;
  const wchar_t* text;
  bool inJapaneseFace;  // whether the list's Japanese face has every glyph itself
};

const Script kScripts[] = {
    {"Hangul", L"\xACAC\xC801\xC11C \xD68C\xC758", false},  // 견적서 회의
    {"simplified Chinese", L"\x4F1A\x8BAE\x901A\x77E5\xFF1A\x5173\x4E8E", false},  // 会议通知：关于
    {"Thai", L"\x0E2A\x0E27\x0E31\x0E2A\x0E14\x0E35", false},               // สวัสดี
    {"emoji", L"Sale \xD83C\xDF89 50%", false},                             // 🎉
    {"Greek", L"\x039A\x03B1\x03BB\x03B7\x03BC\x03AD\x03C1\x03B1", false},  // Καλημέρα
    // 会議 👨‍👩‍👧 見積: a joiner sequence amid Japanese; the joiners themselves draw
    // nothing.
    {"joined emoji in Japanese",
     L"\x4F1A\x8B70 \xD83D\xDC68\x200D\xD83D\xDC69\x200D\xD83D\xDC67 \x898B\x7A4D", false},
    {"accented Latin", L"Jos\x00E9 M\x00FCller, R\x00E9union \x00E0 15h", true},
};

// ＭＳ Ｐゴシック, the list's default face.
const wchar_t kListFace[] = L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF";

TEST(ScriptText, EveryScriptDrawsWithoutNoGlyphBoxes) {
  Canvas canvas(kListFace);
  ASSERT_TRUE(canvas.Valid());
  const auto box = canvas.NoGlyphBox();
  ASSERT_FALSE(box.empty()) << "the face draws nothing for a missing glyph";
  for (const Script& script : kScripts) {
    SCOPED_TRACE(script.name);
    canvas.Clear();
    DrawLineAt(canvas.dc(), script.text, 4, 4);
    GdiFlush();
    EXPECT_FALSE(canvas.Contains(box)) << "a character drew as the no-glyph box";
    EXPECT_GT(canvas.InkColumns(), 8);
    ScriptLine line(canvas.dc(), script.text);
    EXPECT_EQ(line.MissingGlyphs(), 0);
    EXPECT_GT(line.Size().cx, 8);

    // Without the fallback the face's own gaps show: the checks above can see them.
    canvas.Clear();
    ScriptLine bare(canvas.dc(), script.text, GlyphFallback::kOff);
    bare.Draw(4, 4);
    GdiFlush();
    EXPECT_EQ(canvas.Contains(box), !script.inJapaneseFace);
    EXPECT_EQ(bare.MissingGlyphs() > 0, !script.inJapaneseFace);
  }
}

TEST(ScriptText, CutLinesEndInDotsAndNeverSplitACharacter) {
  Canvas canvas(kListFace);
  ASSERT_TRUE(canvas.Valid());
  // Each text's characters all take more than a few pixels.
  const std::wstring texts[] = {L"\xD83C\xDF89\xD83C\xDF89\xD83C\xDF89\xD83C\xDF89",
                                L"\x0E2A\x0E27\x0E31\x0E2A\x0E14\x0E35", L"abcdefgh"};
  for (const std::wstring& text : texts) {
    ScriptLine line(canvas.dc(), text);
    const int width = line.Size().cx;
    ASSERT_GT(width, 0);
    EXPECT_EQ(line.FittingChars(width), text.size());
    EXPECT_EQ(line.FittingChars(0), 0u);
    for (int w = 1; w < width; ++w) {
      const size_t n = line.FittingChars(w);
      ASSERT_LT(n, text.size());
      // Never between the halves of a surrogate pair, nor before a Thai vowel mark.
      EXPECT_FALSE(n > 0 && IS_LOW_SURROGATE(text[n])) << w;
      EXPECT_TRUE(text[n] != L'\x0E31' && text[n] != L'\x0E35') << w;
      EXPECT_LE(MeasureLine(canvas.dc(), text.substr(0, n)).cx, w) << w;
    }
  }
  // In a narrow rectangle only the dots and what fits before them are drawn, inside it.
  canvas.Clear();
  RECT narrow{4, 4, 60, 36};
  DrawLineInRect(canvas.dc(), L"\xACAC\xC801\xC11C \xACAC\xC801\xC11C \xACAC\xC801\xC11C", narrow,
                 TextAlign::kLeft);
  GdiFlush();
  for (int y = 0; y < kHeight; ++y) {
    for (int x = narrow.right; x < kWidth; ++x) ASSERT_FALSE(canvas.Ink(x, y)) << x << "," << y;
  }
  EXPECT_GT(canvas.InkColumns(), 20);
}

}  // namespace
}  // namespace postwink::win
