#pragma once
// The tool-tip layout's text measurer over a GDI device context: one font per style, made on
// first use from the base font and kept until the measurer goes.

#include <string_view>
#include <utility>
#include <vector>

#include "core/ui/tooltip_layout.h"
#include "win32/handles.h"
#include "win32/platform/windows_headers.h"

namespace postwink::win {

class GdiTextMeasurer : public TextMeasurer {
 public:
  GdiTextMeasurer(HDC dc, const LOGFONTW& baseFont);
  ~GdiTextMeasurer() override;
  GdiTextMeasurer(const GdiTextMeasurer&) = delete;
  GdiTextMeasurer& operator=(const GdiTextMeasurer&) = delete;

  // The style of the base font itself.
  FontStyle BaseStyle() const;
  FontMetrics Metrics(const FontStyle& font) override;
  int TextWidth(const FontStyle& font, std::string_view text) override;
  // Selects the font of the style into the device context (for drawing).
  void Select(const FontStyle& font);

 private:
  HFONT FontFor(const FontStyle& font);

  HDC dc_;
  LOGFONTW base_;
  HGDIOBJ originalFont_;
  std::vector<std::pair<FontStyle, GdiHandle>> fonts_;
};

// The system's status-bar font (the status font of the non-client metrics), at dpi; at the
// screen's DPI without one.
LOGFONTW StatusBarFont(int dpi = 0);
// The system's message font, as dialogs and the colour pop-up's text rows use it, likewise.
LOGFONTW MessageFont(int dpi = 0);

}  // namespace postwink::win
