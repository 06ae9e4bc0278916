// Mark-up through the parser and both layout passes; the rule and run positions must stay
// inside what the measuring pass promised.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/ui/tooltip_layout.h"
#include "core/ui/tooltip_markup.h"

namespace {

class Measurer : public postwink::TextMeasurer {
 public:
  postwink::FontMetrics Metrics(const postwink::FontStyle& font) override {
    return {font.weight > 400 ? 17 : 16, 5};
  }
  int TextWidth(const postwink::FontStyle& font, std::string_view text) override {
    return static_cast<int>(text.size()) * (font.italic ? 7 : 6);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto tokens = postwink::ParseMarkup(text);
  Measurer measurer;
  const postwink::TooltipLayout layout(postwink::FontStyle{},
                                       postwink::MakeTooltipColourTable(0, 0, 0), measurer);
  const postwink::MarkupMeasure measure = layout.Measure(tokens);
  if (measure.size.width < 0 || measure.size.height < 16 || measure.lineWidths.empty())
    std::abort();
  const postwink::Rect area{12, 12, 12 + measure.size.width, 12 + measure.size.height};
  const postwink::MarkupDrawing drawing = layout.Draw(tokens, area, measure);
  for (const auto& run : drawing.runs) {
    if (run.origin.y < area.top || run.origin.y >= area.bottom) std::abort();
  }
  return 0;
}
