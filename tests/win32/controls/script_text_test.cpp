// Every character of a line draws: where the list's Japanese face has no glyph, a font of the
// character's script stands in. A missing glyph shows as the face's "no glyph" box, so the
// line is searched for that box's exact pixels.
#include "win32/controls/script_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "glyph_canvas.h"

namespace postwink::win {
namespace {

using test::Canvas;
using test::kCanvasHeight;
using test::kCanvasWidth;
using test::kScripts;
using test::ListFont;
using test::Script;

TEST(ScriptText, EveryScriptDrawsWithoutNoGlyphBoxes) {
  Canvas canvas(ListFont());
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
  Canvas canvas(ListFont());
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
  // In a narrow rectangle only the dots and what fits before them are drawn, inside it; a
  // hostile header's length is no different.
  const std::wstring cut[] = {L"\xACAC\xC801\xC11C \xACAC\xC801\xC11C \xACAC\xC801\xC11C",
                              std::wstring(100000, L'\xACAC')};
  for (const std::wstring& text : cut) {
    canvas.Clear();
    RECT narrow{4, 4, 60, 36};
    DrawLineInRect(canvas.dc(), text, narrow, TextAlign::kLeft);
    GdiFlush();
    for (int y = 0; y < kCanvasHeight; ++y) {
      for (int x = narrow.right; x < kCanvasWidth; ++x) {
        ASSERT_FALSE(canvas.Ink(x, y)) << x << "," << y;
      }
    }
    EXPECT_GT(canvas.InkColumns(), 20);
  }
}

TEST(ScriptText, FallbackSpansOfATextOfManyLines) {
  Canvas canvas(ListFont());
  ASSERT_TRUE(canvas.Valid());
  // 会議 / 견적서 🎉 / สวัสดี: the Hangul, the emoji and the Thai need other fonts.
  const std::wstring text =
      L"\x4F1A\x8B70\r\n\xACAC\xC801\xC11C \xD83C\xDF89\n\x0E2A\x0E27\x0E31\x0E2A\x0E14\x0E35";
  std::vector<bool> covered(text.size(), false);
  for (const FontSpan& span : TextFallbackSpans(canvas.dc(), text)) {
    EXPECT_FALSE(span.face.empty());
    ASSERT_LE(span.first + span.length, text.size());
    for (size_t i = span.first; i < span.first + span.length; ++i) covered[i] = true;
  }
  for (size_t i = 0; i < text.size(); ++i) {
    const bool foreign = (i >= 4 && i <= 6) || i == 8 || i == 9 || i >= 11;
    EXPECT_EQ(covered[i], foreign) << i;
  }
}

}  // namespace
}  // namespace postwink::win
