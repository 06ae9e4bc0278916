#pragma once
// The message list page ("メッセージ一覧"): the settings behind its buttons and fields, and
// which controls are enabled.

#include "core/config/settings.h"

namespace postwink {

// SHOWSTYLE: bits 0-1 the effect, bit 2 vertical. GRID: 16 horizontal, 32 vertical lines.
inline constexpr int kShowStyleEffectBits = 3;
inline constexpr int kShowStyleVertical = 4;
inline constexpr int kShowEffectSlide = 0;
inline constexpr int kShowEffectRoll = 1;
inline constexpr int kShowEffectFade = 2;
inline constexpr int kGridHorizontal = 16;
inline constexpr int kGridVertical = 32;

struct ListPageValues {
  int position = 3;  // DISP_POS 0-3; any other value checks no button
  int effect = 0;    // SHOWSTYLE bits 0-1; 3 checks no button
  bool vertical = false;
  int drawMs = 400;
  bool horizontalLines = false;
  bool verticalLines = false;
  bool headings = false;
  bool autoClose = false;
  int openSeconds = 10;
  bool preview = false;
  int previewHeight = 300;
};

ListPageValues ListPageValuesOf(const Settings& settings);
// Bits of SHOWSTYLE and GRID that the page has no button for stay as they were, and so does a
// position or an effect for which no button is checked (-1).
void ApplyListPage(const ListPageValues& values, Settings& settings);

struct ListPageEnabling {
  bool fade = true;           // "フェイド": never on Windows 98/Me
  bool direction = true;      // "表示方向" group: not for the fade
  bool openTime = true;       // the time the list stays open: only when it closes by itself
  bool previewHeight = true;  // only in preview mode
};
ListPageEnabling ListPageEnablingOf(const ListPageValues& values, bool windows98OrMe);

}  // namespace postwink
