#include "win32/controls/gdi_text_measurer.h"

#include "win32/dpi.h"

#include "win32/controls/script_text.h"
#include "win32/wide_text.h"

namespace postwink::win {
namespace {

NONCLIENTMETRICSW NonClientMetrics() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    // Fall back on the stock GUI font rather than an unnamed default.
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTW), &metrics.lfStatusFont);
    metrics.lfMessageFont = metrics.lfStatusFont;
  }
  return metrics;
}

}  // namespace

LOGFONTW StatusBarFont(int dpi) {
  const LOGFONTW font = NonClientMetrics().lfStatusFont;
  return dpi > 0 ? FontAtDpi(font, dpi) : font;
}

LOGFONTW MessageFont(int dpi) {
  const LOGFONTW font = NonClientMetrics().lfMessageFont;
  return dpi > 0 ? FontAtDpi(font, dpi) : font;
}

GdiTextMeasurer::GdiTextMeasurer(HDC dc, const LOGFONTW& baseFont)
    : dc_(dc), base_(baseFont), originalFont_(GetCurrentObject(dc, OBJ_FONT)) {
  if (base_.lfWeight == 0) base_.lfWeight = FW_NORMAL;
}

GdiTextMeasurer::~GdiTextMeasurer() { SelectObject(dc_, originalFont_); }

FontStyle GdiTextMeasurer::BaseStyle() const {
  FontStyle style;
  style.weight = base_.lfWeight;
  style.italic = base_.lfItalic != 0;
  style.underline = base_.lfUnderline != 0;
  style.strikeOut = base_.lfStrikeOut != 0;
  return style;
}

HFONT GdiTextMeasurer::FontFor(const FontStyle& font) {
  for (const auto& [style, handle] : fonts_) {
    if (style == font) return static_cast<HFONT>(handle.get());
  }
  LOGFONTW lf = base_;
  lf.lfWeight = font.weight;
  lf.lfItalic = font.italic;
  lf.lfUnderline = font.underline;
  lf.lfStrikeOut = font.strikeOut;
  GdiHandle handle(CreateFontIndirectW(&lf));
  HFONT result = static_cast<HFONT>(handle.get());
  if (result == nullptr) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  fonts_.emplace_back(font, std::move(handle));
  return result;
}

void GdiTextMeasurer::Select(const FontStyle& font) { SelectObject(dc_, FontFor(font)); }

FontMetrics GdiTextMeasurer::Metrics(const FontStyle& font) {
  Select(font);
  TEXTMETRICW tm{};
  if (!GetTextMetricsW(dc_, &tm)) return {16, 7};
  return {static_cast<int>(tm.tmHeight), static_cast<int>(tm.tmAveCharWidth)};
}

int GdiTextMeasurer::TextWidth(const FontStyle& font, std::string_view text) {
  Select(font);
  return MeasureLine(dc_, Widen(text)).cx;
}

}  // namespace postwink::win
