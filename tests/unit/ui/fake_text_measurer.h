#pragma once
// A measurer with round numbers: every byte is 6 pixels wide (7 when bold), lines are 16
// pixels high and the average character is 5 pixels wide, so tab stops lie every 20 pixels.

#include "core/ui/tooltip_layout.h"

namespace postwink {

class FakeTextMeasurer : public TextMeasurer {
 public:
  FontMetrics Metrics(const FontStyle&) override { return {16, 5}; }
  int TextWidth(const FontStyle& font, std::string_view text) override {
    return static_cast<int>(text.size()) * (font.weight > 400 ? 7 : 6);
  }
};

}  // namespace postwink
