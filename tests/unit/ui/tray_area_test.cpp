#include "core/ui/tray_area.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

TEST(TrayArea, FromTheShellWindows) {
  // A task bar along the bottom of a 1920 x 1080 screen: the part left of the clock.
  TaskbarFacts bottom;
  bottom.shellTray = ScreenRect{0, 1040, 1920, 1080};
  bottom.shellChildren = {{"Start", {0, 1040, 48, 1080}},
                          {"TrayNotifyWnd", {1700, 1040, 1920, 1080}},
                          {"TrayClockWClass", {1850, 1040, 1910, 1080}},
                          {"TrayNotifyWnd", {0, 0, 1, 1}}};  // after the clock: not looked at
  EXPECT_EQ(TrayArea(bottom), (ScreenRect{1700, 1040, 1850, 1080}));

  // A vertical bar on the right: the clock's bottom is well above the area's bottom, so the
  // area is the part below the clock.
  TaskbarFacts vertical;
  vertical.shellTray = ScreenRect{1820, 0, 1920, 1080};
  vertical.shellChildren = {{"TrayNotifyWnd", {1820, 900, 1920, 1080}},
                            {"TrayClockWClass", {1820, 900, 1920, 940}}};
  EXPECT_EQ(TrayArea(vertical), (ScreenRect{1820, 940, 1920, 1080}));

  // A clock whose bottom is at most 5 pixels above counts as beside the icons.
  TaskbarFacts nearBottom;
  nearBottom.shellTray = ScreenRect{0, 1040, 1920, 1080};
  nearBottom.shellChildren = {{"TrayClockWClass", {1850, 1040, 1910, 1075}}};
  EXPECT_EQ(TrayArea(nearBottom), (ScreenRect{0, 1040, 1850, 1080}));

  TaskbarFacts noClock;
  noClock.shellTray = ScreenRect{0, 1040, 1920, 1080};
  EXPECT_EQ(TrayArea(noClock), (ScreenRect{0, 1040, 1920, 1080}));
}

TEST(TrayArea, FromTheTaskbarPosition) {
  TaskbarFacts left;
  left.taskbar = {TaskbarEdge::kLeft, {0, 0, 60, 1080}};
  EXPECT_EQ(TrayArea(left), (ScreenRect{0, 980, 60, 1064}));
  TaskbarFacts top;
  top.taskbar = {TaskbarEdge::kTop, {0, 0, 1920, 40}};
  EXPECT_EQ(TrayArea(top), (ScreenRect{1820, 0, 1904, 40}));
}

TEST(TrayArea, FromTheWorkArea) {
  TaskbarFacts none;
  none.workArea = {0, 0, 1024, 768};
  EXPECT_EQ(TrayArea(none), (ScreenRect{874, 738, 1024, 768}));
}

}  // namespace
}  // namespace postwink
