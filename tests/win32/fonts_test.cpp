// The Japanese fonts the program names must draw Japanese text: on Windows they are the
// system's own, under Wine the prefix made by scripts/wine-run.sh substitutes IPA fonts.
#include <gtest/gtest.h>

#include "win32/handles.h"
#include "win32/platform/windows_headers.h"

namespace postwink::win {
namespace {

TEST(Fonts, JapaneseFontsHaveJapaneseGlyphs) {
  const wchar_t* faces[] = {
      L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF",  // ＭＳ Ｐゴシック, the list's default
      L"\xFF2D\xFF33 \x30B4\x30B7\x30C3\x30AF",        // ＭＳ ゴシック
      L"MS UI Gothic",                                 // the dialogs
  };
  const wchar_t text[] = L"\x3042\x6F22\xFF71";  // あ漢ｱ
  HDC dc = GetDC(nullptr);
  ASSERT_NE(dc, nullptr);
  for (const wchar_t* face : faces) {
    // By name alone (no character set hint): an unknown name would fall back to a font
    // without Japanese glyphs.
    GdiHandle font(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               DEFAULT_PITCH, face));
    ASSERT_TRUE(font.valid());
    HGDIOBJ old = SelectObject(dc, font.get());
    WORD glyphs[3] = {};
    ASSERT_EQ(GetGlyphIndicesW(dc, text, 3, glyphs, GGI_MARK_NONEXISTING_GLYPHS), 3u);
    for (WORD glyph : glyphs) EXPECT_NE(glyph, 0xFFFF) << "a glyph is missing";
    SelectObject(dc, old);
  }
  ReleaseDC(nullptr, dc);
}

}  // namespace
}  // namespace postwink::win
