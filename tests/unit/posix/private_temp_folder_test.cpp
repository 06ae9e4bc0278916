// The private folder for message dumps: the user's own, closed to others, and never one that
// another user made or a link pointing elsewhere.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/platform/system.h"

namespace postwink {
namespace {

namespace fs = std::filesystem;

class PrivateTempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = fs::temp_directory_path() / ("postwink-private-" + std::to_string(getpid()));
    fs::create_directories(base_);
    const char* old = std::getenv("TMPDIR");
    if (old) oldTmp_ = old;
    setenv("TMPDIR", base_.c_str(), 1);
    folder_ = base_ / ("Postwink-" + std::to_string(geteuid()));
  }
  void TearDown() override {
    if (oldTmp_) {
      setenv("TMPDIR", oldTmp_->c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
    fs::remove_all(base_);
  }
  mode_t Mode() const {
    struct stat st {};
    stat(folder_.c_str(), &st);
    return st.st_mode & 0777;
  }

  fs::path base_;
  fs::path folder_;
  std::optional<std::string> oldTmp_;
};

TEST_F(PrivateTempFolderTest, CreatedClosedToOthersAndReused) {
  std::optional<std::string> made = PrivateTempFolder();
  ASSERT_TRUE(made);
  EXPECT_EQ(*made, folder_.string() + "/");
  EXPECT_EQ(Mode(), 0700u);
  EXPECT_EQ(PrivateTempFolder(), made);

  // One of the user's own that others could enter is closed to them.
  chmod(folder_.c_str(), 0777);
  EXPECT_EQ(PrivateTempFolder(), made);
  EXPECT_EQ(Mode(), 0700u);
}

TEST_F(PrivateTempFolderTest, RefusedWhenALinkAFileOrSomeoneElses) {
  fs::path elsewhere = base_ / "elsewhere";
  fs::create_directory(elsewhere);
  fs::create_directory_symlink(elsewhere, folder_);
  EXPECT_FALSE(PrivateTempFolder());
  fs::remove(folder_);

  { std::ofstream(folder_.string()) << "a file"; }
  EXPECT_FALSE(PrivateTempFolder());
  fs::remove(folder_);

  if (geteuid() != 0) GTEST_SKIP() << "a folder of another user needs root to make";
  fs::create_directory(folder_);
  ASSERT_EQ(chown(folder_.c_str(), 65534, 65534), 0);
  chmod(folder_.c_str(), 0700);
  EXPECT_FALSE(PrivateTempFolder());
}

}  // namespace
}  // namespace postwink
