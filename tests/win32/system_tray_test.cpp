// CSystemTray against the system's notification area (Wine's tray under Xvfb).
#include "win32/system_tray.h"

#include <gtest/gtest.h>

#include "core/platform/system.h"
#include "win32/checker_app.h"
#include "win32/icon_set.h"
#include "win32/resource.h"
#include "window_test_support.h"

namespace postwink::win {
namespace {

class TestTray : public CSystemTray {
 public:
  void Tick() { SendMessageW(hwnd(), WM_TIMER, TIMER_TRAY_ANIMATION, 0); }
};

class Tray : public ::testing::Test {
 protected:
  void SetUp() override { icons_ = LoadIconSet("", "Z:\\nonexistent\\", TaskbarTheme::kDark); }
  IconSet icons_;
};

TEST_F(Tray, CreatedHiddenThenShownAndRemoved) {
  TestTray tray;
  ASSERT_TRUE(
      tray.Create(nullptr, WM_TRAY_NOTIFY, "Postwink", icons_.normal.get(), kTrayIconId, true));
  EXPECT_TRUE(tray.IsHidden());
  // Changes while hidden are kept for the moment the icon is added.
  EXPECT_TRUE(tray.SetIcon(icons_.error.get()));
  EXPECT_TRUE(tray.SetTooltipText("waiting"));
  ASSERT_TRUE(tray.Show());
  EXPECT_FALSE(tray.IsHidden());
  EXPECT_EQ(tray.CurrentIcon(), icons_.error.get());
  EXPECT_EQ(tray.TooltipText(), "waiting");
  EXPECT_TRUE(tray.Remove());
  EXPECT_TRUE(tray.IsHidden());
  EXPECT_TRUE(tray.IsRemoved());
}

TEST_F(Tray, ToolTipIsCutAt127BytesOnACharacterBoundary) {
  TestTray tray;
  ASSERT_TRUE(tray.Create(nullptr, WM_TRAY_NOTIFY, "", icons_.normal.get(), kTrayIconId, true));
  struct Case {
    std::string text;
    std::string expected;
  } cases[] = {
      {std::string(127, 'a'), std::string(127, 'a')},
      {std::string(200, 'a'), std::string(127, 'a')},
      // The tip holds 127 UTF-16 units: "あ" takes one, "😀" two.
      {std::string(126, 'a') + "あ", std::string(126, 'a') + "あ"},
      {std::string(126, 'a') + "😀", std::string(126, 'a')},
      {std::string(125, 'a') + "😀z", std::string(125, 'a') + "😀"},
  };
  for (const Case& c : cases) {
    tray.SetTooltipText(c.text);
    EXPECT_EQ(tray.TooltipText(), c.expected) << c.text.size();
  }
}

TEST(TrayFields, TextsAreCutToTheFieldWithoutHalfACharacter) {
  const std::wstring clef = L"\U0001D11E";  // a surrogate pair
  struct Case {
    std::wstring text;
    size_t capacity;
    std::wstring expected;
  } cases[] = {
      {L"abc", 4, L"abc"},
      {L"abcd", 4, L"abc"},
      {L"ab" + clef, 4, L"ab"},  // the pair would need the NUL's place
      {L"a" + clef, 4, L"a" + clef},
      {L"abc", 0, L""},
      {std::wstring(300, L'x'), 256, std::wstring(255, L'x')},
  };
  for (const Case& c : cases) EXPECT_EQ(FitToField(c.text, c.capacity), c.expected);
}

TEST_F(Tray, TheNotificationNeedsTheIconShown) {
  TestTray tray;
  ASSERT_TRUE(tray.Create(nullptr, WM_TRAY_NOTIFY, "", icons_.normal.get(), kTrayIconId, true));
  EXPECT_FALSE(tray.ShowBalloon("title", "text", icons_.normal.get()));
  ASSERT_TRUE(tray.Show());
  EXPECT_TRUE(tray.ShowBalloon("title", std::string(400, 'x'), icons_.normal.get()));
  EXPECT_TRUE(tray.Remove());
}

TEST_F(Tray, AnimationStartsWithTheSecondFrameAndStopRestoresTheIcon) {
  TestTray tray;
  ASSERT_TRUE(
      tray.Create(nullptr, WM_TRAY_NOTIFY, "Postwink", icons_.normal.get(), kTrayIconId, false));
  std::vector<HICON> frames = IconSet::Handles(icons_.receivingFrames);
  ASSERT_EQ(frames.size(), 8u);
  tray.SetFrames(frames);
  ASSERT_TRUE(tray.StartAnimation(400, -1));
  tray.Tick();
  EXPECT_EQ(tray.CurrentIcon(), frames[1]);
  for (int i = 0; i < 7; ++i) tray.Tick();
  EXPECT_EQ(tray.CurrentIcon(), frames[0]);  // wrapped around after the last frame
  tray.AddFrame(icons_.error.get());
  for (int i = 0; i < 8; ++i) tray.Tick();
  EXPECT_EQ(tray.CurrentIcon(), icons_.error.get());
  tray.StopAnimation();
  EXPECT_FALSE(tray.IsAnimating());
  EXPECT_EQ(tray.CurrentIcon(), icons_.normal.get());
  tray.Remove();
}

TEST_F(Tray, TaskbarCreatedAddsAShownIconAgainButNotAHiddenOne) {
  UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  TestTray shown;
  ASSERT_TRUE(
      shown.Create(nullptr, WM_TRAY_NOTIFY, "Postwink", icons_.normal.get(), kTrayIconId, false));
  SendMessageW(shown.hwnd(), taskbarCreated, 0, 0);
  EXPECT_FALSE(shown.IsHidden());
  EXPECT_FALSE(shown.IsPending());
  shown.Remove();

  TestTray hidden;
  ASSERT_TRUE(
      hidden.Create(nullptr, WM_TRAY_NOTIFY, "Postwink", icons_.normal.get(), kTrayIconId, true));
  SendMessageW(hidden.hwnd(), taskbarCreated, 0, 0);
  EXPECT_TRUE(hidden.IsHidden());
}

// The first adds fail, as for a program started at log-on before the task bar exists.
class LateTaskbarTray : public TestTray {
 public:
  int failingAdds = 1;

 protected:
  bool Notify(DWORD message, UINT flags) override {
    if (message == NIM_ADD && failingAdds > 0) {
      --failingAdds;
      return false;
    }
    return CSystemTray::Notify(message, flags);
  }
};

TEST_F(Tray, AFailedFirstAddIsMadeGoodWhenTheTaskbarIsCreated) {
  LateTaskbarTray tray;
  ASSERT_TRUE(
      tray.Create(nullptr, WM_TRAY_NOTIFY, "Postwink", icons_.normal.get(), kTrayIconId, true));
  EXPECT_FALSE(tray.Show());
  EXPECT_TRUE(tray.IsPending());
  tray.SetTooltipText("checking");  // kept for the moment the icon is added
  SendMessageW(tray.hwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_FALSE(tray.IsHidden());
  EXPECT_FALSE(tray.IsPending());
  EXPECT_EQ(tray.TooltipText(), "checking");
  tray.Remove();
}

TEST_F(Tray, AFailedFirstAddIsRetriedOnATimerAndNotAfterRemoval) {
  LateTaskbarTray tray;
  tray.failingAdds = 2;
  ASSERT_TRUE(
      tray.Create(nullptr, WM_TRAY_NOTIFY, "Postwink", icons_.normal.get(), kTrayIconId, true));
  EXPECT_FALSE(tray.Show());
  EXPECT_TRUE(test::PumpUntil([&] { return !tray.IsPending(); }, 10000));
  EXPECT_FALSE(tray.IsHidden());
  EXPECT_EQ(tray.failingAdds, 0);
  tray.Remove();

  // An icon removed while its add is still pending (the program ends) stays away.
  LateTaskbarTray leaving;
  ASSERT_TRUE(
      leaving.Create(nullptr, WM_TRAY_NOTIFY, "Postwink", icons_.normal.get(), kTrayIconId, true));
  EXPECT_FALSE(leaving.Show());
  leaving.Remove();
  EXPECT_FALSE(leaving.IsPending());
  test::PumpFor(kTrayRetryMs + 500);
  EXPECT_TRUE(leaving.IsHidden());
}

TEST(IconSet, BuiltInIconsWhenTheFolderHasNoneForEitherTaskBar) {
  for (TaskbarTheme theme : {TaskbarTheme::kDark, TaskbarTheme::kLight}) {
    IconSet set = LoadIconSet("", "Z:\\nonexistent\\", theme);
    EXPECT_TRUE(set.normal.valid());
    EXPECT_TRUE(set.error.valid());
    EXPECT_EQ(set.newMailFrames.size(), 5u);
    EXPECT_EQ(set.receivingFrames.size(), 8u);
    for (const IconHandle& icon : set.newMailFrames) EXPECT_TRUE(icon.valid());
    for (const IconHandle& icon : set.receivingFrames) EXPECT_TRUE(icon.valid());
  }
}

// A switch of the task bar's theme in the middle of an animation: the frame shown, the frames to
// come and the picture the animation returns to all come from the other set.
TEST_F(Tray, SwappedPicturesFollowTheAnimationAndItsEnd) {
  IconSet light = LoadIconSet("", "Z:\\nonexistent\\", TaskbarTheme::kLight);
  EXPECT_EQ(icons_.Counterpart(icons_.error.get(), light), light.error.get());
  EXPECT_EQ(icons_.Counterpart(light.normal.get(), icons_), nullptr);
  TestTray tray;
  ASSERT_TRUE(
      tray.Create(nullptr, WM_TRAY_NOTIFY, "Postwink", icons_.normal.get(), kTrayIconId, true));
  tray.SetFrames(IconSet::Handles(icons_.newMailFrames));
  ASSERT_TRUE(tray.StartAnimation(60000, -1));
  tray.Tick();
  ASSERT_EQ(tray.CurrentIcon(), icons_.newMailFrames[1].get());
  tray.SwapPictures([&](HICON picture) { return icons_.Counterpart(picture, light); });
  EXPECT_EQ(tray.CurrentIcon(), light.newMailFrames[1].get());
  tray.Tick();
  EXPECT_EQ(tray.CurrentIcon(), light.newMailFrames[2].get());
  tray.StopAnimation();
  EXPECT_EQ(tray.CurrentIcon(), light.normal.get());
  tray.Remove();
}

LONG IconWidth(const IconHandle& icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon.get(), &info)) return 0;
  BITMAP bitmap{};
  GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

// The width of the image of a built-in icon that the system takes for size pixels.
LONG ResourceImageWidth(int icon, int size) {
  HMODULE module = ProgramInstance();
  HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(icon), RT_GROUP_ICON);
  if (!group) return 0;
  auto* directory = static_cast<BYTE*>(LockResource(LoadResource(module, group)));
  const int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
  HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(id), RT_ICON);
  if (!image) return 0;
  return static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, image)))->biWidth;
}

TEST(IconSet, EverySizeATrayAsksForIsDrawnNotStretched) {
  EXPECT_EQ(TrayIconSize(), GetSystemMetrics(SM_CXSMICON));
  for (int size : {16, 20, 24, 32}) {
    SCOPED_TRACE(size);
    for (int icon : {IDI_NORMAL, IDI_ERROR_MARK_LIGHT, IDI_NEWMAIL_FIRST + 2, IDI_LIST_REMOVE}) {
      EXPECT_EQ(ResourceImageWidth(icon, size), size) << icon;
    }
    EXPECT_EQ(IconWidth(LoadIconFile(POSTWINK_ICON_FILE, size)), size);
    // A set made for this size has its notification picture at the large icon's size.
    const IconSet set = LoadIconSet("", "Z:\\nonexistent\\", TaskbarTheme::kDark, size);
    EXPECT_EQ(IconWidth(set.normal), size);
    EXPECT_EQ(IconWidth(set.notification), 2 * size);
  }
}

TEST(IconSet, UserFilesReplaceTheBuiltInOnesOneKindAtATime) {
  // The generated icons serve as the user's files: only new1.ico is there.
  std::string folder = UserTempDirectory() + "postwink-icons-test\\";
  FileSystem& files = PlatformSystem().files;
  files.RemoveTree(folder);
  ASSERT_TRUE(files.CreateDirectory(folder));
  std::optional<std::string> ico = files.ReadAll(POSTWINK_ICON_FILE);
  ASSERT_TRUE(ico.has_value());
  ASSERT_TRUE(files.WriteAtomic(folder + "new1.ico", *ico));
  ASSERT_TRUE(files.WriteAtomic(folder + "new3.ico", *ico));
  IconSet set = LoadIconSet(folder, "Z:\\nonexistent\\", TaskbarTheme::kLight);
  EXPECT_EQ(set.newMailFrames.size(), 1u);
  EXPECT_EQ(set.receivingFrames.size(), 8u);
  EXPECT_TRUE(set.normal.valid());
  files.RemoveTree(folder);
}

}  // namespace
}  // namespace postwink::win
