// Refresh tokens sealed for the Windows user: what the file holds, and what a damaged file
// leads to.
#include "win32/platform/dpapi_token_store.h"

#include <gtest/gtest.h>

#include <string>

#include "win32/checker_app.h"

namespace postwink::win {
namespace {

class DpapiTokenStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = UserTempDirectory() + "postwink-token-store-test\\";
    files_.RemoveTree(folder_);
    ASSERT_TRUE(files_.CreateDirectory(folder_));
    path_ = folder_ + kTokenFileName;
  }
  void TearDown() override { files_.RemoveTree(folder_); }
  FileSystem& files_ = PlatformSystem().files;
  std::string folder_;
  std::string path_;
};

TEST_F(DpapiTokenStoreTest, TokensComeBackAndTheFileDoesNotShowThem) {
  const std::string token = "M.C532_BAY.0.U.-CrefreshTOKENvalue!*$";
  DpapiTokenStore store(files_, path_);
  EXPECT_EQ(store.Load("https://t/\nclient\nscope\nuser@example.com"), std::nullopt);
  ASSERT_TRUE(store.Save("https://t/\nclient\nscope\nuser@example.com", token));
  ASSERT_TRUE(store.Save("2:other@example.com", "second-token"));
  std::optional<std::string> file = files_.ReadAll(path_);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->find("refreshTOKENvalue"), std::string::npos);
  EXPECT_EQ(file->find("second-token"), std::string::npos);
  EXPECT_EQ(file->find("user@example.com"), std::string::npos);

  DpapiTokenStore reopened(files_, path_);
  EXPECT_EQ(reopened.Load("https://t/\nclient\nscope\nuser@example.com"), token);
  EXPECT_EQ(reopened.Load("2:other@example.com"), "second-token");
  EXPECT_TRUE(reopened.Erase("https://t/\nclient\nscope\nuser@example.com"));
  EXPECT_EQ(reopened.Load("https://t/\nclient\nscope\nuser@example.com"), std::nullopt);
  EXPECT_EQ(reopened.Load("2:other@example.com"), "second-token");
  EXPECT_TRUE(reopened.Erase("2:other@example.com"));
  EXPECT_FALSE(files_.Exists(path_));
}

TEST_F(DpapiTokenStoreTest, ADamagedFileMeansSigningInAgain) {
  DpapiTokenStore store(files_, path_);
  ASSERT_TRUE(store.Save("https://t/\nclient\nscope\nuser@example.com", "token"));
  std::string sealed = *files_.ReadAll(path_);
  for (std::string damaged : {std::string("not a sealed blob"), sealed.substr(0, sealed.size() / 2),
                              std::string(1, '\0'), std::string()}) {
    ASSERT_TRUE(files_.WriteAtomic(path_, damaged));
    EXPECT_EQ(store.Load("https://t/\nclient\nscope\nuser@example.com"), std::nullopt)
        << damaged.size();
  }
  sealed[sealed.size() - 5] ^= 0x40;
  ASSERT_TRUE(files_.WriteAtomic(path_, sealed));
  EXPECT_EQ(store.Load("https://t/\nclient\nscope\nuser@example.com"), std::nullopt);
  // A new sign-in replaces the damaged file.
  ASSERT_TRUE(store.Save("https://t/\nclient\nscope\nuser@example.com", "fresh"));
  EXPECT_EQ(store.Load("https://t/\nclient\nscope\nuser@example.com"), "fresh");
}

TEST_F(DpapiTokenStoreTest, KeysAndTokensKeepEveryByte) {
  DpapiTokenStore store(files_, path_);
  const std::string key = "https://login.example/token\nclient\nscope\nuser@example.com";
  const std::string token = std::string("1:a,\n2:\t") + '\0' + "\xff";
  ASSERT_TRUE(store.Save(key, token));
  ASSERT_TRUE(store.Save(key + "2", "other"));
  EXPECT_EQ(DpapiTokenStore(files_, path_).Load(key), token);
  EXPECT_EQ(store.Load(key + "2"), "other");
  EXPECT_EQ(store.Load("https://login.example/token"), std::nullopt);
  EXPECT_FALSE(store.Save(key, ""));
}

}  // namespace
}  // namespace postwink::win
