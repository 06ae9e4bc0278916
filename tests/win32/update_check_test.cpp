// The update check against a local HTTP server. tests/e2e/update_check.sh starts the server and
// names it in POSTWINK_TEST_HTTP; without it these tests are skipped.
#include "win32/update_check.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/platform/system.h"
#include "win32/checker_app.h"

namespace postwink::win {
namespace {

class UpdateCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* server = std::getenv("POSTWINK_TEST_HTTP");
    if (!server || !*server) GTEST_SKIP() << "no test HTTP server";
    server_ = server;
    folder_ = UserTempDirectory() + "postwink-update-test\\";
    files_.RemoveTree(folder_);
    ASSERT_TRUE(files_.CreateDirectory(folder_));
  }
  void TearDown() override {
    if (!folder_.empty()) files_.RemoveTree(folder_);
  }
  UpdateOutcome Check(const std::string& path) {
    UpdateRequest request{server_ + path, 0, "", 0, folder_};
    return RunUpdateCheck(request, "1.2.4.0", state_);
  }

  FileSystem& files_ = PlatformSystem().files;
  std::string server_;
  std::string folder_;
  UpdateState state_;
};

TEST_F(UpdateCheckTest, ANewerVersionGivesTheNotice) {
  UpdateOutcome outcome = Check("newer.dat");
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_TRUE(outcome.newer);
  EXPECT_EQ(state_.downloadedPath, folder_ + "newer.dat");
  std::optional<std::string> saved = files_.ReadAll(folder_ + "newer.dat");
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->substr(0, 16), "VERSION:1.2.5.0\r");
}

TEST_F(UpdateCheckTest, NoNoticeForTheSameVersionOrALowerCaseMarker) {
  UpdateOutcome same = Check("equal.dat");
  EXPECT_EQ(same.exitCode, 0);
  EXPECT_FALSE(same.newer);
  UpdateOutcome lower = Check("lower.dat");
  EXPECT_EQ(lower.exitCode, 12);
  EXPECT_FALSE(lower.newer);
}

TEST_F(UpdateCheckTest, AMissingFileIsAnHttpFailure) {
  UpdateOutcome outcome = Check("missing.dat");
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_FALSE(outcome.newer);
  EXPECT_TRUE(files_.ListDirectory(folder_).empty());
}

// A server that sends far more than an update file is stopped and nothing is saved.
TEST_F(UpdateCheckTest, AnOversizedFileIsAReadFailure) {
  UpdateOutcome outcome = Check("huge.dat");
  EXPECT_EQ(outcome.exitCode, 2);
  EXPECT_FALSE(outcome.newer);
  EXPECT_TRUE(state_.downloadedPath.empty());
  EXPECT_TRUE(files_.ListDirectory(folder_).empty());
}

TEST_F(UpdateCheckTest, AUrlEndingInASlashSavesUpdateDat) {
  UpdateOutcome outcome = Check("dir/");
  EXPECT_TRUE(files_.Exists(folder_ + "Update.dat"));
  EXPECT_EQ(state_.downloadedPath, folder_ + "Update.dat");
  EXPECT_FALSE(outcome.newer);
}

TEST_F(UpdateCheckTest, WithoutItsOwnVersionTheWorkerStops) {
  UpdateRequest request{server_ + "newer.dat", 0, "", 0, folder_};
  EXPECT_EQ(RunUpdateCheck(request, "", state_).exitCode, 8);
  EXPECT_TRUE(files_.ListDirectory(folder_).empty());
}

}  // namespace
}  // namespace postwink::win
