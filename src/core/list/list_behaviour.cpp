#include "core/list/list_behaviour.h"

#include <algorithm>

namespace postwink {

int AutoCloseMs(int dispSec) { return std::clamp(dispSec, 0, 2000000) * 1000; }

int AnimationMs(int drawSec) { return std::clamp(drawSec, 0, 10000); }

bool MayCloseNow(const CloseFacts& facts, bool testPointer) {
  if (testPointer && facts.pointerInWindow) return false;
  return !facts.pointerInTray && !facts.shiftHeld && !facts.dialogOpen && !facts.focusInList;
}

namespace {

using Kind = TimerStep::Kind;

TimerStep Start(ListTimer timer, int ms) { return {Kind::kStart, timer, ms}; }
TimerStep Stop(ListTimer timer) { return {Kind::kStop, timer, 0}; }
TimerStep PostClose() { return {Kind::kPostClose, ListTimer::kAutoClose, 0}; }

}  // namespace

TimerSteps AutoCloseAtCreation(int autoCloseMs, bool autoCloseOn) {
  if (autoCloseMs <= 0 || !autoCloseOn) return {};
  return {Start(ListTimer::kAutoClose, autoCloseMs)};
}

TimerSteps AutoCloseWhenEmptied() { return {Start(ListTimer::kAutoClose, kEmptiedCloseMs)}; }

TimerSteps AutoCloseFired(const CloseFacts& facts, bool keepOpen, bool creating) {
  // A window still being created refuses to close; it is asked again like a kept one.
  if (!creating && MayCloseNow(facts, keepOpen)) {
    return {Stop(ListTimer::kAutoClose), PostClose()};
  }
  return {Stop(ListTimer::kAutoClose), Start(ListTimer::kCloseRetry, kCloseRetryMs)};
}

TimerSteps CloseRetryFired(const CloseFacts& facts, bool creating) {
  if (creating || !MayCloseNow(facts, true)) return {};
  return {Stop(ListTimer::kAutoClose), PostClose()};
}

TimerSteps AutoCloseOnClose() {
  return {Stop(ListTimer::kCloseRetry), Stop(ListTimer::kAutoClose)};
}

PreviewStep PreviewOnSelection(int focusedSelected, int previewRow) {
  if (focusedSelected < 0) return {PreviewStep::Kind::kHide, -1};
  if (focusedSelected != previewRow) return {PreviewStep::Kind::kFollow, focusedSelected};
  return {};
}

PreviewStep PreviewOnOpen(int row, bool preview, bool ctrl, bool paneVisible) {
  if (row < 0) return {};
  if (!preview || ctrl) return {PreviewStep::Kind::kOpenInEditor, row};
  if (paneVisible) return {PreviewStep::Kind::kHide, -1};
  return {PreviewStep::Kind::kShow, row};
}

}  // namespace postwink
