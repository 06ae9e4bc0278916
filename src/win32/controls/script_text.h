#pragma once
// One line of text laid out by Uniscribe in the device context's font. Where that font lacks a
// glyph (Hangul, simplified Chinese, Thai, emoji in a Japanese face), the characters it lacks
// are shaped again in the first of a few fonts of other scripts that has them, so that every
// character draws. Uniscribe's own SSA_FALLBACK is not used: under Wine it swaps whole runs to
// fonts that lack the glyphs too. Measuring goes through the same layout as drawing, so that
// column fitting and tip sizes agree with what is drawn.

#include <string>
#include <string_view>
#include <vector>

#include "win32/handles.h"
#include "win32/platform/windows_headers.h"

// After windows.h.
#include <usp10.h>

namespace postwink::win {

enum class TextAlign { kLeft, kCentre, kRight };

enum class GlyphFallback { kOn, kOff };

// A stretch of text that the device context's font lacks, and the face that has it.
struct FontSpan {
  size_t first = 0;
  size_t length = 0;
  std::wstring face;
};

class ScriptLine {
 public:
  // The text to its end, on one line; a tab advances to the next stop (every eight average
  // character widths). An empty text has no width and draws nothing.
  ScriptLine(HDC dc, std::wstring_view text, GlyphFallback fallback = GlyphFallback::kOn);
  ~ScriptLine();
  ScriptLine(const ScriptLine&) = delete;
  ScriptLine& operator=(const ScriptLine&) = delete;

  // Width of the text; height of the device context's font.
  SIZE Size() const { return size_; }
  // Characters that no font at hand could show.
  int MissingGlyphs() const { return missing_; }
  // Draws with the text's top left at (x, y), clipped to clip when one is given.
  void Draw(int x, int y, const RECT* clip = nullptr) const;
  // Characters that fit in width, never splitting a character or a cluster.
  size_t FittingChars(int width) const;
  // How many characters of the text were laid out (a very long line is laid out in part).
  size_t LaidOut() const { return text_.size(); }
  // The stretches drawn in a font other than the device context's.
  std::vector<FontSpan> FallbackSpans() const;

 private:
  struct Font {
    HFONT font = nullptr;
    GdiHandle owned;
    mutable SCRIPT_CACHE cache = nullptr;
    WORD defaultGlyph = 0;
    WORD blankGlyph = 0;
    int ascent = 0;
  };
  struct Run {
    size_t font = 0;
    SCRIPT_ANALYSIS analysis{};
    size_t first = 0;
    size_t length = 0;
    std::vector<WORD> glyphs;
    std::vector<WORD> clusters;
    std::vector<SCRIPT_VISATTR> visattrs;
    std::vector<int> advances;
    std::vector<GOFFSET> offsets;
    int width = 0;
    int missing = 0;
  };

  static std::vector<size_t> ClusterGlyphs(const Run& run, size_t i);
  bool Shape(Run& run, size_t font);
  std::vector<bool> MissingChars(const Run& run) const;
  size_t FallbackFont(size_t candidate);
  void AddItem(const SCRIPT_ANALYSIS& analysis, size_t first, size_t length);
  void ExpandTabs();

  HDC dc_;
  std::wstring text_;
  bool fallback_;
  LOGFONTW base_{};
  std::vector<Font> fonts_;
  std::vector<Run> runs_;
  std::vector<SCRIPT_LOGATTR> attrs_;
  SIZE size_{};
  int missing_ = 0;
  int tabWidth_ = 64;
};

SIZE MeasureLine(HDC dc, std::wstring_view text);
// FallbackSpans over a whole text of many lines, for controls that bind fonts per character
// range (the rich edit preview).
std::vector<FontSpan> TextFallbackSpans(HDC dc, std::wstring_view text);
void DrawLineAt(HDC dc, std::wstring_view text, int x, int y);
// One line inside r, vertically centred; when it is wider than r, it is cut at a character
// boundary and ends with "...". Drawing is clipped to r.
void DrawLineInRect(HDC dc, std::wstring_view text, const RECT& r, TextAlign align);

}  // namespace postwink::win
