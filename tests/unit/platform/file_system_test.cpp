// The running platform's file system (POSIX natively, the wide Win32 API under Wine).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "core/platform/system.h"

namespace postwink {
namespace {

class PlatformFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path().string();
    if (dir_.back() != files_.Separator()) dir_ += files_.Separator();
    dir_ += std::string("postwink-files-") + info->name();
    files_.RemoveTree(dir_);
    ASSERT_TRUE(files_.CreateDirectory(dir_));
    dir_ += files_.Separator();
  }
  void TearDown() override { files_.RemoveTree(dir_); }

  FileSystem& files_ = PlatformSystem().files;
  std::string dir_;
};

TEST_F(PlatformFiles, AtomicWriteReplacesAndLeavesNoTemporaryFile) {
  std::string path = dir_ + "Postwink.ini";
  ASSERT_TRUE(files_.WriteAtomic(path, "old\r\n"));
  ASSERT_TRUE(files_.WriteAtomic(path, std::string("new\r\n\0\xff", 7)));
  EXPECT_EQ(files_.ReadAll(path), std::string("new\r\n\0\xff", 7));
  EXPECT_EQ(files_.ListDirectory(dir_), std::vector<std::string>{"Postwink.ini"});
}

TEST_F(PlatformFiles, AFailedAtomicWriteKeepsTheTargetAndCleansUp) {
  // The target is a folder, so the replacement must fail.
  std::string target = dir_ + "folder";
  ASSERT_TRUE(files_.CreateDirectory(target));
  EXPECT_FALSE(files_.WriteAtomic(target, "data"));
  EXPECT_TRUE(files_.IsDirectory(target));
  EXPECT_EQ(files_.ListDirectory(dir_), std::vector<std::string>{"folder"});
}

TEST_F(PlatformFiles, AppendCreatesThenAppends) {
  std::string path = dir_ + "Postwink.log";
  ASSERT_TRUE(files_.Append(path, "a\r\n"));
  ASSERT_TRUE(files_.Append(path, "b\r\n"));
  EXPECT_EQ(files_.ReadAll(path), "a\r\nb\r\n");
}

// Names are UTF-8 and keep every character, whatever its script.
TEST_F(PlatformFiles, NamesInEveryScriptRoundTrip) {
  for (const std::string name : {"テスト.txt", "견적서 🎉.xlsx"}) {
    ASSERT_TRUE(files_.WriteAtomic(dir_ + name, "x")) << name;
    EXPECT_TRUE(files_.Exists(dir_ + name)) << name;
    EXPECT_EQ(files_.ListDirectory(dir_), std::vector<std::string>{name});
    EXPECT_EQ(files_.ReadAll(dir_ + name), "x") << name;
    EXPECT_TRUE(files_.RemoveFile(dir_ + name)) << name;
  }
}

TEST_F(PlatformFiles, CreateDirectoryAcceptsAFolderButNotAFile) {
  EXPECT_TRUE(files_.CreateDirectory(dir_ + "Postwink"));
  EXPECT_TRUE(files_.CreateDirectory(dir_ + "Postwink"));
  ASSERT_TRUE(files_.WriteAtomic(dir_ + "file", "x"));
  EXPECT_FALSE(files_.CreateDirectory(dir_ + "file"));
  EXPECT_FALSE(files_.IsDirectory(dir_ + "file"));
  EXPECT_FALSE(files_.ReadAll(dir_ + "missing").has_value());
}

TEST_F(PlatformFiles, RemoveTreeTakesSubfolders) {
  std::string root = dir_ + "Postwink";
  ASSERT_TRUE(files_.CreateDirectory(root));
  ASSERT_TRUE(files_.CreateDirectory(root + files_.Separator() + "sub"));
  ASSERT_TRUE(files_.Append(root + files_.Separator() + "a.txt", "a"));
  ASSERT_TRUE(files_.Append(root + files_.Separator() + "sub" + files_.Separator() + "b", "b"));
  EXPECT_TRUE(files_.RemoveTree(root));
  EXPECT_FALSE(files_.Exists(root));
}

}  // namespace
}  // namespace postwink
