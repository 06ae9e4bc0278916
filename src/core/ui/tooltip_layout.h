#pragma once
// Two-pass layout of tool-tip mark-up: the measuring pass gives the text size and each line's
// width, the drawing pass places runs and rules inside a rectangle. Fonts are measured through
// TextMeasurer so that the same code runs over GDI and over a fake in the tests.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/ui/geometry.h"
#include "core/ui/tooltip_markup.h"

namespace postwink {

struct FontStyle {
  int weight = 400;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  friend bool operator==(const FontStyle&, const FontStyle&) = default;
};

struct FontMetrics {
  int height = 0;            // the text-metric height: one line
  int averageCharWidth = 0;  // tab stops lie every 4 of these
};

class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  virtual FontMetrics Metrics(const FontStyle& font) = 0;
  virtual int TextWidth(const FontStyle& font, std::string_view text) = 0;
};

// Colours 0x00BBGGRR by index, as the cti and cbi tags and the painting use them.
using TooltipColourTable = std::array<uint32_t, 26>;
inline constexpr int kTooltipTextColour = 17;
inline constexpr int kTooltipBackColour = 18;
inline constexpr int kTooltipShadowColour = 24;
inline constexpr int kTooltipBorderColour = 25;

// The table with the system's tool-tip text and background and button-shadow colours filled in.
TooltipColourTable MakeTooltipColourTable(uint32_t infoText, uint32_t infoBack,
                                          uint32_t buttonShadow);

struct MarkupMeasure {
  Size size;                    // widest line, total height
  std::vector<int> lineWidths;  // per line, percentage rules included
};

struct MarkupRun {
  Point origin;  // top-left of the text
  std::string text;
  FontStyle font;
  uint32_t textColour = 0;
  uint32_t backColour = 0;
  bool opaque = false;  // the background colour fills behind the text
};

struct MarkupRule {
  int left = 0;
  int right = 0;
  int y = 0;  // one pixel high, through the middle of the line
  uint32_t colour = 0;
};

struct MarkupDrawing {
  std::vector<MarkupRun> runs;
  std::vector<MarkupRule> rules;
};

class TooltipLayout {
 public:
  TooltipLayout(const FontStyle& baseFont, const TooltipColourTable& colours,
                TextMeasurer& measurer)
      : baseFont_(baseFont), colours_(colours), measurer_(measurer) {}

  MarkupMeasure Measure(const std::vector<MarkupToken>& tokens) const;
  // area: the text area, normally as large as the measured size. measure: the result of
  // Measure over the same tokens, which alignment needs.
  MarkupDrawing Draw(const std::vector<MarkupToken>& tokens, const Rect& area,
                     const MarkupMeasure& measure) const;

 private:
  struct Pass;
  void Walk(Pass& pass, const std::vector<MarkupToken>& tokens) const;

  FontStyle baseFont_;
  TooltipColourTable colours_;
  TextMeasurer& measurer_;
};

}  // namespace postwink
