#include "core/config/log_file.h"

#include <gtest/gtest.h>

#include "unit/config/fake_system.h"

namespace postwink {
namespace {

struct LogFixture : ::testing::Test {
  LogFixture() {
    clock.now.hour = 7;
    clock.now.minute = 5;
    clock.now.second = 9;
    clock.now.millisecond = 42;
  }
  testing::FakeFileSystem files;
  testing::FakeClock clock;
  LogFile log{files, clock, PlatformSystem().codePage};
};

TEST_F(LogFixture, PathGetsExactlyOneSeparator) {
  struct Case {
    const char* folder;
    const char* expected;
  } cases[] = {
      {"C:\\Postwink", "C:\\Postwink\\Postwink.log"},
      {"C:\\Postwink\\", "C:\\Postwink\\Postwink.log"},
      {"C:\\Postwink\\\\", "C:\\Postwink\\Postwink.log"},
      // "表" ends in 0x5C: that byte is part of the name, not a separator.
      {"C:\\表", "C:\\表\\Postwink.log"},
      {"C:\\表\\", "C:\\表\\Postwink.log"},
  };
  for (const Case& c : cases) {
    log.SetLogPath(c.folder, kLogFileName);
    EXPECT_EQ(log.Path(), c.expected) << c.folder;
  }
  log.SetLogPath("", kLogFileName);
  log.SetLogPath("D:\\x", "");
  EXPECT_EQ(log.Path(), "C:\\表\\Postwink.log");  // unchanged
}

TEST_F(LogFixture, EntriesCarryATimeStampAndOneLineEnd) {
  EXPECT_FALSE(log.LogLine("nowhere"));  // no path: nothing written
  EXPECT_TRUE(files.files.empty());

  log.SetLogPath("C:\\P", kLogFileName);
  EXPECT_TRUE(log.LogLine("connect..."));
  EXPECT_TRUE(log.LogLine("[box] USER me\r\n"));
  EXPECT_TRUE(log.LogLine(""));
  EXPECT_TRUE(log.LogLine("two\r\nlines"));
  clock.now.hour = 23;
  clock.now.millisecond = 999;
  // The file stays code page 932; what 932 lacks becomes "?".
  EXPECT_TRUE(log.LogLine("テスト Café 🎉"));
  EXPECT_EQ(files.files["C:\\P\\Postwink.log"],
            "07:05:09_042:connect...\r\n07:05:09_042:[box] USER me\r\n07:05:09_042:\r\n"
            "07:05:09_042:two\r\nlines\r\n23:05:09_999:\x83"
            "e\x83X\x83g Caf? ?\r\n");
  EXPECT_EQ(files.appends, 5);  // one open-append-close per entry
}

TEST_F(LogFixture, SeparatorHoldsDateTimeAndLabel) {
  log.SetLogPath("C:\\P", kLogFileName);
  EXPECT_TRUE(log.LogSeparator("recv"));
  EXPECT_EQ(files.files["C:\\P\\Postwink.log"],
            "07:05:09_042:\r\n-------------------------------- 2026/12/09 23:04:05 (recv)\r\n");
  clock.localeDateTime.clear();
  EXPECT_FALSE(log.LogSeparator("recv"));
}

TEST_F(LogFixture, FailuresReturnFalseAndDeleteStartsAFreshFile) {
  log.SetLogPath("C:\\P", kLogFileName);
  files.files["C:\\P\\Postwink.log"] = "old run\r\n";
  EXPECT_TRUE(log.DeleteLogFile());
  EXPECT_FALSE(files.Exists("C:\\P\\Postwink.log"));
  EXPECT_TRUE(log.DeleteLogFile());  // nothing to delete is fine
  files.failAppend = true;
  EXPECT_FALSE(log.LogLine("lost"));
}

}  // namespace
}  // namespace postwink
