#pragma once
// The message list window's decisions, apart from its window: when it may close by itself and
// what its three timers do, and how the preview pane follows the selection, a double click and
// Enter.

#include <vector>

namespace postwink {

// The window's timers; the values are its timer ids.
enum class ListTimer { kAutoClose = 1, kCloseRetry = 2, kMarkRead = 3 };

inline constexpr int kEmptiedCloseMs = 3000;
inline constexpr int kCloseRetryMs = 2000;
inline constexpr int kMarkReadMs = 1500;

// DISP_SEC as milliseconds: 0 (no automatic close) for 0 or less, and no overflow for a
// hand-edited huge value.
int AutoCloseMs(int dispSec);
// DRAW_SEC kept to the range the settings page offers (0 to 10 s), so that a hand-edited value
// cannot hold the program in an animation for minutes.
int AnimationMs(int drawSec);

// What holds an automatically closing window open.
struct CloseFacts {
  bool pointerInWindow = false;
  bool pointerInTray = false;
  bool shiftHeld = false;
  bool dialogOpen = false;
  bool focusInList = false;  // in the list or in the preview pane
};

// testPointer: whether the pointer over the window counts (the keep-open flag).
bool MayCloseNow(const CloseFacts& facts, bool testPointer);

struct TimerStep {
  enum class Kind { kStart, kStop, kPostClose };
  Kind kind;
  ListTimer timer = ListTimer::kAutoClose;
  int ms = 0;
  friend bool operator==(const TimerStep&, const TimerStep&) = default;
};
using TimerSteps = std::vector<TimerStep>;

// At the end of creation: the auto-close timer when there is a time and AUTOCLOSE is on.
TimerSteps AutoCloseAtCreation(int autoCloseMs, bool autoCloseOn);
// The last row was removed: closes 3 s later whatever AUTOCLOSE says.
TimerSteps AutoCloseWhenEmptied();
TimerSteps AutoCloseFired(const CloseFacts& facts, bool keepOpen, bool creating);
TimerSteps CloseRetryFired(const CloseFacts& facts, bool creating);
TimerSteps AutoCloseOnClose();

// How the preview pane answers.
struct PreviewStep {
  enum class Kind {
    kNothing,
    kHide,
    kFollow,  // the row becomes the preview row, shown when the pane is open
    kShow,    // the row becomes the preview row and the pane opens with it
    kOpenInEditor,
  };
  Kind kind = Kind::kNothing;
  int row = -1;
  friend bool operator==(const PreviewStep&, const PreviewStep&) = default;
};

// focusedSelected: the first selected row that has the focus mark, -1 for none.
PreviewStep PreviewOnSelection(int focusedSelected, int previewRow);
// A double click on a row, or Enter with a focused row. preview: the PREVIEW setting.
PreviewStep PreviewOnOpen(int row, bool preview, bool ctrl, bool paneVisible);

}  // namespace postwink
