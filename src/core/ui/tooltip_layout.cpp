#include "core/ui/tooltip_layout.h"

#include <algorithm>

namespace postwink {
namespace {

// Values come from hand-written texts; these caps keep a stray digit from overflowing the
// arithmetic (no window is larger than 32767 pixels anyway).
constexpr uint32_t kMaxAdvance = 1000;
constexpr uint32_t kMaxRulePixels = 32767;
constexpr uint32_t kMaxPercent = 1000;
constexpr int kTabAverageChars = 4;
// Positions stop here, so that however long a text is, the sums cannot overflow.
constexpr int64_t kMaxPosition = int64_t{1} << 28;

void Advance(int& position, int64_t by) {
  position = static_cast<int>(std::clamp<int64_t>(position + by, -kMaxPosition, kMaxPosition));
}

enum class Align { kLeft, kCentre, kRight };

int Count(const MarkupToken& token) {
  const uint32_t n = token.value.value_or(1);
  return static_cast<int>(std::clamp<uint32_t>(n, 1, kMaxAdvance));
}

}  // namespace

TooltipColourTable MakeTooltipColourTable(uint32_t infoText, uint32_t infoBack,
                                          uint32_t buttonShadow) {
  return {0x000000, 0x800000, 0x008000, 0x808000,     0x000080, 0x800080, 0x008080,
          0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,     0x0000FF, 0xFF00FF, 0x00FFFF,
          0xC0C0C0, 0xFFFFFF, 0,        infoText,     infoBack, infoBack, infoBack,
          0xEE0000, 0x8B1A55, 0x0000FF, buttonShadow, infoText};
}

struct TooltipLayout::Pass {
  bool drawing = false;
  Rect area;
  // measuring
  std::vector<int> lineWidths;
  std::vector<int> linePercents;
  int percent = 0;
  int widest = 0;
  // drawing
  const std::vector<int>* measuredWidths = nullptr;
  size_t line = 0;
  bool lineAligned = false;
  Align align = Align::kLeft;
  MarkupDrawing output;
  // both
  FontStyle font;
  uint32_t textColour = 0;
  uint32_t backColour = 0;
  bool opaque = false;
  int x = 0;
  int y = 0;
};

void TooltipLayout::Walk(Pass& pass, const std::vector<MarkupToken>& tokens) const {
  pass.font = baseFont_;
  pass.textColour = colours_[kTooltipTextColour];
  pass.backColour = colours_[kTooltipBackColour];
  pass.x = pass.area.left;
  pass.y = pass.area.top;
  const int available = pass.area.Width();

  // Alignment shifts the whole line once, when its first run or rule is drawn.
  auto alignLine = [&] {
    if (!pass.drawing || pass.lineAligned) return;
    pass.lineAligned = true;
    const std::vector<int>& widths = *pass.measuredWidths;
    const int width = pass.line < widths.size() ? widths[pass.line] : 0;
    if (pass.align == Align::kCentre) Advance(pass.x, (int64_t{available} - width) / 2);
    if (pass.align == Align::kRight) Advance(pass.x, int64_t{available} - width);
  };
  auto endLine = [&](int lines) {
    const int height = measurer_.Metrics(pass.font).height;
    if (!pass.drawing) {
      const int width = pass.x - pass.area.left;
      pass.lineWidths.push_back(width);
      pass.linePercents.push_back(pass.percent);
      pass.widest = std::max(pass.widest, width);
      pass.percent = 0;
    }
    ++pass.line;
    pass.lineAligned = false;
    Advance(pass.y, int64_t{lines} * height);
    pass.x = pass.area.left;
  };

  for (const MarkupToken& token : tokens) {
    switch (token.op) {
      case MarkupOp::kText: {
        alignLine();
        const int width = measurer_.TextWidth(pass.font, token.text);
        if (pass.drawing) {
          pass.output.runs.push_back({{pass.x, pass.y},
                                      token.text,
                                      pass.font,
                                      pass.textColour,
                                      pass.backColour,
                                      pass.opaque});
        }
        Advance(pass.x, width);
        break;
      }
      case MarkupOp::kLineBreak:
        endLine(Count(token));
        break;
      case MarkupOp::kTab: {
        const int stop = kTabAverageChars * measurer_.Metrics(pass.font).averageCharWidth;
        if (stop <= 0) break;
        int tabs = Count(token);
        const int offset = pass.x - pass.area.left;
        if (offset % stop != 0) {
          Advance(pass.x, stop - offset % stop);
          --tabs;
        }
        Advance(pass.x, int64_t{tabs} * stop);
        break;
      }
      case MarkupOp::kBold:
        pass.font.weight = token.closing ? baseFont_.weight : std::min(baseFont_.weight * 2, 900);
        break;
      case MarkupOp::kItalic:
        pass.font.italic = !token.closing;
        break;
      case MarkupOp::kUnderline:
        pass.font.underline = !token.closing;
        break;
      case MarkupOp::kStrikeOut:
        pass.font.strikeOut = !token.closing;
        break;
      case MarkupOp::kTextColour:
        pass.textColour =
            token.closing || !token.value ? colours_[kTooltipTextColour] : *token.value;
        break;
      case MarkupOp::kTextColourIndex: {
        const uint32_t index =
            token.closing ? kTooltipTextColour : token.value.value_or(kTooltipTextColour);
        if (index < colours_.size()) pass.textColour = colours_[index];
        break;
      }
      case MarkupOp::kBackColour:
        if (!token.closing) pass.backColour = token.value.value_or(colours_[kTooltipBackColour]);
        pass.opaque = !token.closing;
        break;
      case MarkupOp::kBackColourIndex: {
        const uint32_t index = token.value.value_or(kTooltipBackColour);
        if (!token.closing && index < colours_.size()) pass.backColour = colours_[index];
        pass.opaque = !token.closing;
        break;
      }
      case MarkupOp::kAlignLeft:
        pass.align = Align::kLeft;
        break;
      case MarkupOp::kAlignCentre:
        pass.align = token.closing ? Align::kLeft : Align::kCentre;
        break;
      case MarkupOp::kAlignRight:
        pass.align = token.closing ? Align::kLeft : Align::kRight;
        break;
      case MarkupOp::kRule: {
        const uint32_t value = token.value.value_or(100);
        const bool percent = !token.value || token.percent;
        if (!pass.drawing && percent) {
          pass.percent = std::min<int>(
              pass.percent + static_cast<int>(std::min(value, kMaxPercent)), kMaxPercent);
          break;
        }
        alignLine();
        const int64_t width = percent ? int64_t{available} * std::min(value, kMaxPercent) / 100
                                      : std::min(value, kMaxRulePixels);
        if (pass.drawing) {
          const int middle = pass.y + measurer_.Metrics(pass.font).height / 2;
          int right = pass.x;
          Advance(right, width);
          pass.output.rules.push_back({pass.x, right, middle, pass.textColour});
        }
        Advance(pass.x, width);
        break;
      }
    }
  }
  endLine(1);
}

MarkupMeasure TooltipLayout::Measure(const std::vector<MarkupToken>& tokens) const {
  Pass pass;
  Walk(pass, tokens);
  MarkupMeasure result;
  result.size = {pass.widest, pass.y - pass.area.top};
  result.lineWidths = std::move(pass.lineWidths);
  for (size_t i = 0; i < result.lineWidths.size(); ++i) {
    Advance(result.lineWidths[i], int64_t{pass.linePercents[i]} * pass.widest / 100);
  }
  return result;
}

MarkupDrawing TooltipLayout::Draw(const std::vector<MarkupToken>& tokens, const Rect& area,
                                  const MarkupMeasure& measure) const {
  Pass pass;
  pass.drawing = true;
  pass.area = area;
  pass.measuredWidths = &measure.lineWidths;
  Walk(pass, tokens);
  return std::move(pass.output);
}

}  // namespace postwink
