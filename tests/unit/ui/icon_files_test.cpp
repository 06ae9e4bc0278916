#include "core/ui/icon_files.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace postwink {
namespace {

TEST(IconFiles, FolderChoice) {
  struct Case {
    std::string userIcon, programDir, expected;
  } cases[] = {
      {"", "C:\\Tools\\Postwink\\", "C:\\Tools\\Postwink\\ico\\"},
      {"D:\\icons", "C:\\P\\", "D:\\icons\\"},
      {"D:\\icons\\", "C:\\P\\", "D:\\icons\\"},
      {"D:/icons/", "C:\\P\\", "D:/icons/"},
      // A folder name ending in a double-byte character whose trail byte is 0x5C ("\")
      // is still given its separator: "ソ" is 0x83 0x5C.
      {"D:\\ソ", "C:\\P\\", "D:\\ソ\\"},
  };
  for (const Case& c : cases) EXPECT_EQ(IconFolder(c.userIcon, c.programDir), c.expected);
}

TEST(IconFiles, FramesStopAtTheFirstMissingNumber) {
  std::set<std::string> present = {"F\\new1.ico", "F\\new2.ico", "F\\new4.ico"};
  std::vector<std::string> asked;
  auto load = std::function<std::unique_ptr<std::string>(const std::string&)>(
      [&](const std::string& path) -> std::unique_ptr<std::string> {
        asked.push_back(path);
        return present.count(path) ? std::make_unique<std::string>(path) : nullptr;
      });
  auto frames = LoadNumberedFrames("F\\", "new", load);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(*frames[1], "F\\new2.ico");
  EXPECT_EQ(asked.back(), "F\\new3.ico");
  EXPECT_TRUE(LoadNumberedFrames("F\\", "rcv", load).empty());
}

}  // namespace
}  // namespace postwink
