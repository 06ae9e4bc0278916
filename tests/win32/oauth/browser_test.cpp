// The configured browser command gets the sign-in address as its last argument; addresses that
// are not web addresses are never handed on.
#include "win32/platform/browser_win32.h"

#include <gtest/gtest.h>

#include <string>

#include "core/text/utf8.h"
#include "win32/checker_app.h"
#include "window_test_support.h"

namespace postwink::win {
namespace {

TEST(BrowserTest, TheConfiguredCommandGetsTheAddress) {
  FileSystem& files = PlatformSystem().files;
  std::string out = UserTempDirectory() + "postwink-browser-test.txt";
  files.RemoveFile(out);
  std::u16string path16 = Utf8ToUtf16(out);
  std::wstring command =
      L"cmd.exe /d /c >\"" + std::wstring(path16.begin(), path16.end()) + L"\" echo";
  ASSERT_TRUE(SetEnvironmentVariableW(kBrowserVariable, command.c_str()));
  WinBrowser browser;
  const std::string url = "https://login.example/authorize?client_id=a&state=b%20c";
  EXPECT_TRUE(browser.Open(url));
  for (const char* refused :
       {"C:\\Windows\\notepad.exe", "file:///C:/x", "https://a/\"b", "javascript:alert(1)"}) {
    EXPECT_FALSE(browser.Open(refused)) << refused;
  }
  std::optional<std::string> seen;
  test::PumpUntil(
      [&] {
        seen = files.ReadAll(out);
        return seen && seen->find('\n') != std::string::npos;
      },
      20000);
  SetEnvironmentVariableW(kBrowserVariable, nullptr);
  ASSERT_TRUE(seen);
  EXPECT_EQ(*seen, "\"" + url + "\"\r\n");
  files.RemoveFile(out);
}

TEST(BrowserTest, RandomBytesDiffer) {
  WinSecureRandom random;
  uint8_t a[32] = {};
  uint8_t b[32] = {};
  ASSERT_TRUE(random.Fill(a));
  ASSERT_TRUE(random.Fill(b));
  EXPECT_NE(std::string(a, a + 32), std::string(b, b + 32));
}

}  // namespace
}  // namespace postwink::win
