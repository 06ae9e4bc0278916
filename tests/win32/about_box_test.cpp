// The version resource and the About box that shows it.
#include "win32/about_box.h"

#include <gtest/gtest.h>

#include "core/platform/system.h"
#include "postwink_version.h"
#include "win32/checker_app.h"
#include "win32/resource.h"
#include "win32/version_info.h"
#include "win32/wide_text.h"

namespace postwink::win {
namespace {

TEST(VersionInfo, ProductVersionIsTheProjectVersion) {
  EXPECT_EQ(ReadVersionString("ProductVersion"), POSTWINK_VERSION_TEXT);
  EXPECT_EQ(ReadVersionString("ProductName"), "Postwink");
  EXPECT_EQ(ReadVersionString("NoSuchValue"), "");
  // A file without a version resource.
  std::string text = UserTempDirectory() + "postwink-version-test.txt";
  ASSERT_TRUE(PlatformSystem().files.WriteAtomic(text, "no resources here"));
  EXPECT_EQ(ReadVersionString("ProductVersion", text), "");
  PlatformSystem().files.RemoveFile(text);
}

TEST(AboutBox, ShowsTheVersionAndClosesWithOk) {
  AboutBox box;
  ASSERT_TRUE(box.CreateModeless(nullptr));
  EXPECT_TRUE(IsWindowVisible(box.hwnd()));
  wchar_t text[256];
  GetDlgItemTextW(box.hwnd(), IDC_VERSION_TEXT, text, 256);
  EXPECT_EQ(Narrow(text), std::string("Postwink version :") + POSTWINK_VERSION_TEXT);
  HWND hwnd = box.hwnd();
  SendMessageW(hwnd, WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(IsWindow(hwnd));
}

}  // namespace
}  // namespace postwink::win
