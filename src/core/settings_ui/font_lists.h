#pragma once
// The font face and size lists of the display page.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace postwink {

inline constexpr int kJapaneseCharset = 128;  // SHIFTJIS_CHARSET
// The sizes offered for a scalable face, in points.
inline constexpr std::array<int, 16> kScalableFontSizes = {8,  9,  10, 11, 12, 14, 16, 18,
                                                           20, 22, 24, 26, 28, 36, 48, 72};

// Collects the faces of the enumeration passes: Japanese character set only, each name once,
// without the vertical faces whose names begin with "@".
class FontFaceCollector {
 public:
  void Offer(std::string_view face, int charset);
  const std::vector<std::string>& Faces() const { return faces_; }

 private:
  std::vector<std::string> faces_;
};

// The sizes of a raster face: its heights in pixels (cell height less internal leading) as
// whole points for the screen's vertical resolution, ascending, each once.
std::vector<int> RasterFontSizes(const std::vector<int>& pixelHeights, int dpiY);
// The entry a rebuilt size list selects: the previous size, else the largest size below it,
// else the first entry; -1 for an empty list.
int FontSizeSelection(const std::vector<int>& sizes, int previous);
// FONTSIZE and FONTSIZE_PREVIEW when the page opens (9 for 0).
inline int OpeningFontSize(int setting) { return setting == 0 ? 9 : setting; }

}  // namespace postwink
