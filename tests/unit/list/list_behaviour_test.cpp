#include "core/list/list_behaviour.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

using Kind = TimerStep::Kind;

TEST(ListBehaviour, TimesFromTheSettings) {
  EXPECT_EQ(AutoCloseMs(10), 10000);
  EXPECT_EQ(AutoCloseMs(0), 0);
  EXPECT_EQ(AutoCloseMs(-5), 0);
  EXPECT_GT(AutoCloseMs(2147483647), 0);
  EXPECT_EQ(AnimationMs(400), 400);
  EXPECT_EQ(AnimationMs(0), 0);
  EXPECT_EQ(AnimationMs(-1), 0);
  EXPECT_EQ(AnimationMs(999999), 10000);
}

TEST(ListBehaviour, MayCloseNow) {
  struct Case {
    const char* what;
    CloseFacts facts;
    bool testPointer;
    bool may;
  };
  const Case cases[] = {
      {"nothing holds it", {}, true, true},
      {"pointer on the window", {.pointerInWindow = true}, true, false},
      {"pointer on the window, not tested", {.pointerInWindow = true}, false, true},
      {"pointer on the tray icon", {.pointerInTray = true}, true, false},
      {"pointer on the tray icon, window not tested", {.pointerInTray = true}, false, false},
      {"Shift held", {.shiftHeld = true}, true, false},
      {"attachment dialog open", {.dialogOpen = true}, false, false},
      {"focus in the list", {.focusInList = true}, true, false},
  };
  for (const Case& c : cases) EXPECT_EQ(MayCloseNow(c.facts, c.testPointer), c.may) << c.what;
}

TEST(ListBehaviour, Timers) {
  const TimerStep stopAuto{Kind::kStop, ListTimer::kAutoClose, 0};
  const TimerStep post{Kind::kPostClose, ListTimer::kAutoClose, 0};
  const TimerStep retry{Kind::kStart, ListTimer::kCloseRetry, 2000};

  EXPECT_EQ(AutoCloseAtCreation(10000, true),
            (TimerSteps{{Kind::kStart, ListTimer::kAutoClose, 10000}}));
  EXPECT_TRUE(AutoCloseAtCreation(10000, false).empty());
  EXPECT_TRUE(AutoCloseAtCreation(0, true).empty());
  // An emptied list closes 3 s later even with AUTOCLOSE off.
  EXPECT_EQ(AutoCloseWhenEmptied(), (TimerSteps{{Kind::kStart, ListTimer::kAutoClose, 3000}}));

  const CloseFacts free{};
  const CloseFacts pointed{.pointerInWindow = true};
  const CloseFacts shift{.shiftHeld = true};
  EXPECT_EQ(AutoCloseFired(free, true, false), (TimerSteps{stopAuto, post}));
  EXPECT_EQ(AutoCloseFired(pointed, true, false), (TimerSteps{stopAuto, retry}));
  EXPECT_EQ(AutoCloseFired(pointed, false, false), (TimerSteps{stopAuto, post}));
  EXPECT_EQ(AutoCloseFired(shift, true, false), (TimerSteps{stopAuto, retry}));
  EXPECT_EQ(AutoCloseFired(free, true, true), (TimerSteps{stopAuto, retry}));

  // The retry tests the pointer whatever the keep-open flag, and keeps running until closed.
  EXPECT_TRUE(CloseRetryFired(pointed, false).empty());
  EXPECT_TRUE(CloseRetryFired(shift, false).empty());
  EXPECT_EQ(CloseRetryFired(free, false), (TimerSteps{stopAuto, post}));
  EXPECT_TRUE(CloseRetryFired(free, true).empty());
  EXPECT_EQ(AutoCloseOnClose(), (TimerSteps{{Kind::kStop, ListTimer::kCloseRetry, 0}, stopAuto}));
}

TEST(ListBehaviour, PreviewFollowsTheSelection) {
  using P = PreviewStep::Kind;
  EXPECT_EQ(PreviewOnSelection(-1, 3), (PreviewStep{P::kHide, -1}));
  EXPECT_EQ(PreviewOnSelection(2, 3), (PreviewStep{P::kFollow, 2}));
  EXPECT_EQ(PreviewOnSelection(3, 3), (PreviewStep{}));
  EXPECT_EQ(PreviewOnSelection(0, -2), (PreviewStep{P::kFollow, 0}));
}

TEST(ListBehaviour, OpeningARow) {
  using P = PreviewStep::Kind;
  struct Case {
    int row;
    bool preview;
    bool ctrl;
    bool paneVisible;
    PreviewStep step;
  };
  const Case cases[] = {
      {1, true, false, false, {P::kShow, 1}},
      {1, true, false, true, {P::kHide, -1}},
      {1, true, true, false, {P::kOpenInEditor, 1}},
      {1, false, false, false, {P::kOpenInEditor, 1}},
      {1, false, false, true, {P::kOpenInEditor, 1}},
      {-1, true, false, false, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PreviewOnOpen(c.row, c.preview, c.ctrl, c.paneVisible), c.step)
        << c.row << c.preview << c.ctrl << c.paneVisible;
  }
}

}  // namespace
}  // namespace postwink
