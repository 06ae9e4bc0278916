// The window plumbing: binding the object to its window and routing messages and results.
#include "win32/wnd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "win32/resource.h"

namespace postwink::win {
namespace {

constexpr UINT kProbe = WM_APP + 1;

class ProbeWindow : public Wnd {
 public:
  std::vector<UINT> seen;
  bool finalSeen = false;

 protected:
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM) override {
    seen.push_back(msg);
    if (msg == kProbe) return static_cast<LRESULT>(wParam * 2);
    return std::nullopt;
  }
  void OnFinalMessage() override { finalSeen = true; }
};

TEST(Wnd, AWindowIsBoundFromItsFirstMessage) {
  ProbeWindow w;
  WindowArgs args;
  args.className = L"PostwinkProbeWnd";
  ASSERT_TRUE(w.CreateWindowFrom(args));
  auto saw = [&](UINT msg) { return std::find(w.seen.begin(), w.seen.end(), msg) != w.seen.end(); };
  EXPECT_TRUE(saw(WM_NCCREATE));
  EXPECT_TRUE(saw(WM_CREATE));
  EXPECT_EQ(SendMessageW(w.hwnd(), kProbe, 21, 0), 42);
  HWND hwnd = w.hwnd();
  w.Destroy();
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_TRUE(w.finalSeen);
  EXPECT_EQ(w.hwnd(), nullptr);
}

TEST(Wnd, TwoObjectsOfOneClassKeepTheirOwnWindows) {
  ProbeWindow a, b;
  WindowArgs args;
  args.className = L"PostwinkProbeWnd";
  ASSERT_TRUE(a.CreateWindowFrom(args));
  ASSERT_TRUE(b.CreateWindowFrom(args));
  a.seen.clear();
  b.seen.clear();
  SendMessageW(b.hwnd(), kProbe, 1, 0);
  EXPECT_TRUE(a.seen.empty());
  EXPECT_EQ(b.seen, std::vector<UINT>{kProbe});
}

class ProbeDialog : public Wnd {
 public:
  bool initialised = false;

 protected:
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM) override {
    if (msg == WM_INITDIALOG) initialised = true;
    if (msg == kProbe) return static_cast<LRESULT>(wParam + 1);
    return std::nullopt;
  }
};

TEST(Wnd, ADialogIsBoundOnInitDialogAndItsResultsArrive) {
  ProbeDialog d;
  ASSERT_TRUE(d.CreateModelessDialog(IDD_MAINDIALOG, nullptr));
  EXPECT_TRUE(d.initialised);
  EXPECT_FALSE(IsWindowVisible(d.hwnd()));  // the main window's template is never shown
  EXPECT_EQ(SendMessageW(d.hwnd(), kProbe, 41, 0), 42);
  HWND hwnd = d.hwnd();
  d.Destroy();
  EXPECT_FALSE(IsWindow(hwnd));
}

}  // namespace
}  // namespace postwink::win
