// A dialog with a tool tip and a colour button for the end-to-end script, which drives it with
// the real mouse and keyboard and takes the screenshots. Disabled in the normal test run; the
// script runs it with --gtest_also_run_disabled_tests and POSTWINK_DEMO_DIR set to a folder
// where it finds the coordinates (ready.txt) and leaves what the dialog saw (messages.txt,
// tooltip.txt).

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "win32/controls/colour_button.h"
#include "win32/controls/pp_tooltip.h"
#include "win32/wide_text.h"
#include "window_test_support.h"

namespace postwink::win {
namespace {

// "<b><ct=0x0000FF><al_c>検索対象</b><br><ct=0x00AA00><hr=100%></ct><br>どの項目の中から検索するか
// 指定します<br>送信者(From)／受信者(To)／件名(Subject)／その他 から選択します"
const std::string kDemoHelp =
    "<b><ct=0x0000FF><al_c>検索対象</b><br><ct=0x00AA00><hr=100%></"
    "ct><br>どの項目の中から検索するか指定します<br>送信者(From)／受信者(To)／件名(Subject)"
    "／その他 から選択します";
// "検索対象"
const std::string kHoverLabel = "検索対象";

void WriteFile(const std::string& path, const std::string& text) {
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
}

TEST(ControlsDemo, DISABLED_Interactive) {
  const char* dirEnv = std::getenv("POSTWINK_DEMO_DIR");
  ASSERT_NE(dirEnv, nullptr);
  const std::string dir = dirEnv;

  test::HostWindow host;
  ASSERT_TRUE(host.Create(120, 300, 460, 220));
  HWND hover = host.AddButton(101, Widen(kHoverLabel).c_str(), 30, 40, 140, 28);
  HWND colour = host.AddButton(1201, L"", 250, 40, 90, 26);
  CColorButton button;
  ASSERT_TRUE(button.Attach(colour));
  button.SetColour(0x000000);
  CPPTooltip tip;
  ASSERT_TRUE(tip.Create(host.hwnd(), true));
  tip.SetPlacement(BalloonPlacement::kAboveRight);
  tip.AddTool(hover, kDemoHelp);
  SetForegroundWindow(host.hwnd());
  test::PumpFor(300);

  const POINT h = test::CentreOf(hover);
  const POINT c = test::CentreOf(colour);
  RECT frame;
  GetWindowRect(host.hwnd(), &frame);
  WriteFile(dir + "/ready.txt", "hover " + std::to_string(h.x) + " " + std::to_string(h.y) +
                                    "\ncolour " + std::to_string(c.x) + " " + std::to_string(c.y) +
                                    "\nframe " + std::to_string(frame.left) + " " +
                                    std::to_string(frame.top) + " " + std::to_string(frame.right) +
                                    " " + std::to_string(frame.bottom) + "\n");

  bool tipShown = false;
  const bool ended = test::PumpUntil(
      [&] {
        tipShown = tipShown || tip.VisibleTool() == 0;
        for (const auto& [msg, wParam, lParam] : host.records) {
          if (msg == 2028 || msg == 2029) return true;
        }
        return false;
      },
      120000);
  test::PumpFor(300);

  std::string lines;
  char line[64];
  for (const auto& [msg, wParam, lParam] : host.records) {
    std::snprintf(line, sizeof line, "%u 0x%06X %d\n", msg, static_cast<unsigned>(wParam),
                  static_cast<int>(lParam));
    lines += line;
  }
  WriteFile(dir + "/messages.txt", lines);
  WriteFile(dir + "/tooltip.txt", tipShown ? "shown\n" : "not shown\n");
  EXPECT_TRUE(ended);
  EXPECT_TRUE(tipShown);
}

}  // namespace
}  // namespace postwink::win
