#include "core/settings_ui/list_page_model.h"

namespace postwink {

ListPageValues ListPageValuesOf(const Settings& s) {
  ListPageValues v;
  v.position = s.dispPos;
  v.effect = s.showStyle & kShowStyleEffectBits;
  v.vertical = (s.showStyle & kShowStyleVertical) != 0;
  v.drawMs = s.drawSec;
  v.horizontalLines = (s.grid & kGridHorizontal) != 0;
  v.verticalLines = (s.grid & kGridVertical) != 0;
  v.headings = s.dispHead != 0;
  v.autoClose = s.autoClose != 0;
  v.openSeconds = s.dispSec;
  v.preview = s.preview != 0;
  v.previewHeight = s.previewHeight;
  return v;
}

void ApplyListPage(const ListPageValues& v, Settings& s) {
  if (v.position >= 0 && v.position <= 3) s.dispPos = v.position;
  int effect = v.effect >= kShowEffectSlide && v.effect <= kShowEffectFade
                   ? v.effect
                   : s.showStyle & kShowStyleEffectBits;
  s.showStyle = (s.showStyle & ~(kShowStyleEffectBits | kShowStyleVertical)) | effect |
                (v.vertical ? kShowStyleVertical : 0);
  s.drawSec = v.drawMs;
  s.grid = (s.grid & ~(kGridHorizontal | kGridVertical)) |
           (v.horizontalLines ? kGridHorizontal : 0) | (v.verticalLines ? kGridVertical : 0);
  s.dispHead = v.headings ? 1 : 0;
  s.autoClose = v.autoClose ? 1 : 0;
  s.dispSec = v.openSeconds;
  s.preview = v.preview ? 1 : 0;
  s.previewHeight = v.previewHeight;
}

ListPageEnabling ListPageEnablingOf(const ListPageValues& v, bool windows98OrMe) {
  ListPageEnabling e;
  e.fade = !windows98OrMe;
  e.direction = v.effect != kShowEffectFade;
  e.openTime = v.autoClose;
  e.previewHeight = v.preview;
  return e;
}

}  // namespace postwink
