// Start-up and shutdown pieces of CheckerApp that run without the program's window.
#include "win32/checker_app.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace postwink::win {
namespace {

TEST(CheckerApp, OnlyTheFirstCopyGetsTheMutex) {
  const wchar_t* name = L"Postwink-Instance-test";
  std::optional<KernelHandle> first = CreateInstanceMutex(name);
  ASSERT_TRUE(first.has_value());
  EXPECT_FALSE(CreateInstanceMutex(name).has_value());
  first.reset();
  EXPECT_TRUE(CreateInstanceMutex(name).has_value());
}

TEST(CheckerApp, Windows98OrMeFlag) {
  struct Case {
    DWORD platform, major, minor;
    bool expected;
  } cases[] = {
      {VER_PLATFORM_WIN32_WINDOWS, 4, 10, true},  // 98
      {VER_PLATFORM_WIN32_WINDOWS, 4, 90, true},  // Me
      {VER_PLATFORM_WIN32_WINDOWS, 4, 0, false},  // 95
      {VER_PLATFORM_WIN32_NT, 4, 0, false},       // NT 4
      {VER_PLATFORM_WIN32_NT, 10, 0, false},      // 10 and 11
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsWindows98OrMe(c.platform, c.major, c.minor), c.expected) << c.major << c.minor;
  }
  EXPECT_FALSE(IsWindows98OrMe());
}

TEST(CheckerApp, ProgramAndTempDirectoriesEndWithABackslash) {
  std::string program = ProgramDirectory();
  ASSERT_FALSE(program.empty());
  EXPECT_EQ(program.back(), '\\');
  EXPECT_TRUE(PlatformSystem().files.Exists(program + "win32_tests.exe"));
  std::string temp = UserTempDirectory();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\');
  EXPECT_TRUE(PlatformSystem().files.IsDirectory(temp));
  // The long form: no "~1" short names from GetTempPath survive.
  EXPECT_EQ(temp.find('~'), std::string::npos) << temp;
}

class TempFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = UserTempDirectory() + "postwink-win32-test\\";
    files_.RemoveTree(base_);
    ASSERT_TRUE(files_.CreateDirectory(base_));
  }
  void TearDown() override { files_.RemoveTree(base_); }
  FileSystem& files_ = PlatformSystem().files;
  std::string base_;
};

TEST_F(TempFolder, CreatedOrReusedButNotInPlaceOfAFile) {
  std::optional<std::string> made = CreateTempFolder(files_, base_);
  ASSERT_TRUE(made.has_value());
  EXPECT_EQ(*made, base_ + "Postwink\\");
  EXPECT_TRUE(files_.IsDirectory(*made));
  EXPECT_EQ(CreateTempFolder(files_, base_), made);  // a folder left by a previous run

  ASSERT_TRUE(files_.RemoveTree(*made));
  ASSERT_TRUE(files_.WriteAtomic(base_ + "Postwink", "in the way"));
  EXPECT_FALSE(CreateTempFolder(files_, base_).has_value());
  EXPECT_FALSE(CreateTempFolder(files_, "").has_value());
}

TEST_F(TempFolder, AFileStillOpenStaysAndSoDoesTheFolder) {
  std::string folder = *CreateTempFolder(files_, base_);
  ASSERT_TRUE(files_.Append(folder + "open.txt", "in the editor"));
  ASSERT_TRUE(files_.Append(folder + "closed.txt", "done"));
  std::wstring open = std::filesystem::path(base_ + "Postwink\\open.txt").wstring();
  // An editor holding the file without delete sharing.
  KernelHandle editor(
      CreateFileW(open.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(editor.valid());
  EXPECT_FALSE(files_.RemoveTree(folder));
  EXPECT_TRUE(files_.Exists(folder + "open.txt"));
  EXPECT_FALSE(files_.Exists(folder + "closed.txt"));
  editor.reset();
  EXPECT_TRUE(files_.RemoveTree(folder));
  EXPECT_FALSE(files_.Exists(folder));
}

}  // namespace
}  // namespace postwink::win
