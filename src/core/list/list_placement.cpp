#include "core/list/list_placement.h"

#include <algorithm>

namespace postwink {

Size ListClientSize(const ListContent& content) {
  int rows = std::max(content.rowCount, 1);
  int height = rows * content.rowHeight + content.headerHeight + 1;
  if (content.previewVisible) height += content.previewHeight;
  if (content.horizontalScrollBar) height += content.scrollBarHeight;
  int width = content.columnsWidth + (content.verticalScrollBar ? content.scrollBarWidth : 0);
  return {width, height};
}

Rect PlaceListWindow(int dispPos, Size size, Rect work) {
  const int w = size.width;
  const int h = size.height;
  // A window larger than the work area keeps its corner's edges and is cut at the opposite
  // ones, so it never reaches past the work area (nor onto a neighbouring monitor).
  const int left = std::max(work.left, work.right - w);
  const int top = std::max(work.top, work.bottom - h);
  switch (dispPos) {
    case 0:
      return {work.left, work.top, std::min(work.right, work.left + w),
              std::min(work.bottom, work.top + h)};
    case 1:
      return {left, work.top, work.right, std::min(work.bottom, work.top + h)};
    case 2:
      return {work.left, top, std::min(work.right, work.left + w), work.bottom};
    case 3:
      return {left, top, work.right, work.bottom};
    default:
      return {0, 0, w, h};
  }
}

ListEffects ListEffectFlags(int showStyle, int dispPos, bool activate) {
  ListEffects effects;
  if (showStyle & 2) {
    effects = {kAnimateBlend, kAnimateBlend};
  } else {
    const uint32_t kind = (showStyle & 1) ? 0 : kAnimateSlide;
    const bool top = dispPos == 0 || dispPos == 1;
    const bool left = dispPos == 0 || dispPos == 2;
    if (showStyle & 4) {
      effects.show = kind | (top ? kAnimateVerPositive : kAnimateVerNegative);
      effects.hide = kind | (top ? kAnimateVerNegative : kAnimateVerPositive);
    } else {
      effects.show = kind | (left ? kAnimateHorPositive : kAnimateHorNegative);
      effects.hide = kind | (left ? kAnimateHorNegative : kAnimateHorPositive);
    }
  }
  if (activate) effects.show |= kAnimateActivate;
  effects.hide |= kAnimateHide;
  return effects;
}

Rect CutByAutoHideBar(Rect work, TaskbarEdge edge, Rect bar) {
  switch (edge) {
    case TaskbarEdge::kLeft:
      work.left = std::max(work.left, bar.right);
      break;
    case TaskbarEdge::kTop:
      work.top = std::max(work.top, bar.bottom);
      break;
    case TaskbarEdge::kRight:
      work.right = std::min(work.right, bar.left);
      break;
    case TaskbarEdge::kBottom:
      work.bottom = std::min(work.bottom, bar.top);
      break;
  }
  return work;
}

}  // namespace postwink
