#include "core/settings_ui/font_lists.h"

#include <algorithm>

namespace postwink {

void FontFaceCollector::Offer(std::string_view face, int charset) {
  if (charset != kJapaneseCharset || face.empty() || face.front() == '@') return;
  if (std::find(faces_.begin(), faces_.end(), face) != faces_.end()) return;
  faces_.emplace_back(face);
}

std::vector<int> RasterFontSizes(const std::vector<int>& pixelHeights, int dpiY) {
  std::vector<int> sizes;
  if (dpiY <= 0) return sizes;
  for (int pixels : pixelHeights) {
    if (pixels <= 0) continue;
    sizes.push_back((pixels * 72 + dpiY / 2) / dpiY);
  }
  std::sort(sizes.begin(), sizes.end());
  sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
  return sizes;
}

int FontSizeSelection(const std::vector<int>& sizes, int previous) {
  if (sizes.empty()) return -1;
  int below = -1;
  for (size_t i = 0; i < sizes.size(); ++i) {
    if (sizes[i] == previous) return static_cast<int>(i);
    if (sizes[i] < previous && (below < 0 || sizes[i] > sizes[static_cast<size_t>(below)])) {
      below = static_cast<int>(i);
    }
  }
  return below >= 0 ? below : 0;
}

}  // namespace postwink
