// The command line's OAuth services: the token command through the shell with its bounds, and
// the refresh-token files only the user can read.

#include "posix/oauth_posix.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace postwink {
namespace {

CommandOutput RunCommand(const std::string& command, int timeoutMs = 5000, size_t max = 4096) {
  ShellCommandRunner runner;
  CommandOutput out;
  bool called = false;
  runner.Run(command, timeoutMs, max, [&](CommandOutput o) {
    out = std::move(o);
    called = true;
  });
  EXPECT_TRUE(called) << command;
  return out;
}

TEST(ShellCommandRunner, FirstLineExitStatusAndBounds) {
  struct Case {
    const char* command;
    bool ok;
    const char* line;
    const char* error;
  } cases[] = {
      {"printf 'tok-1\\r\\nsecond line\\n'", true, "tok-1", ""},
      {"printf tok-2", true, "tok-2", ""},
      {"echo tok; exit 3", false, "", "exit status 3"},
      {"exit 0", true, "", ""},
      {"no-such-command-here 2>/dev/null", false, "", "exit status 127"},
      // A line, then the command lingers: the line is taken and the command ended.
      {"echo tok-3; exec sleep 30", true, "tok-3", ""},
  };
  for (const Case& c : cases) {
    auto started = std::chrono::steady_clock::now();
    CommandOutput out = RunCommand(c.command, c.ok && std::string(c.line) == "tok-3" ? 300 : 5000);
    EXPECT_EQ(out.ok, c.ok) << c.command;
    EXPECT_EQ(out.firstLine, c.line) << c.command;
    EXPECT_EQ(out.error, c.error) << c.command;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4)) << c.command;
  }
  auto started = std::chrono::steady_clock::now();
  CommandOutput slow = RunCommand("sleep 30", 300);
  EXPECT_FALSE(slow.ok);
  EXPECT_EQ(slow.error, "time-out after 0 s");
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4));
  // Endless output is read no further than the bound.
  CommandOutput endless = RunCommand("yes tok-4", 2000, 64);
  EXPECT_TRUE(endless.ok) << endless.error;
  EXPECT_EQ(endless.firstLine, "tok-4");
}

TEST(FileRefreshTokenStore, FilesOnlyTheUserCanReadOneAKey) {
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("postwink-store-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  FileRefreshTokenStore store((dir / "state" / "oauth").string());
  EXPECT_FALSE(store.Load("a"));
  ASSERT_TRUE(store.Save("a", "refresh-a"));
  ASSERT_TRUE(store.Save("b", "refresh-b"));
  ASSERT_TRUE(store.Save("a", "refresh-a2"));
  EXPECT_EQ(store.Load("a"), "refresh-a2");
  EXPECT_EQ(store.Load("b"), "refresh-b");
  struct stat file {};
  struct stat folder {};
  ASSERT_EQ(::stat(store.PathFor("a").c_str(), &file), 0);
  ASSERT_EQ(::stat((dir / "state" / "oauth").c_str(), &folder), 0);
  EXPECT_EQ(file.st_mode & 0777, 0600u);
  EXPECT_EQ(folder.st_mode & 0777, 0700u);
  // The key never shows in the file's name.
  EXPECT_EQ(store.PathFor("alice@example.com").find("alice"), std::string::npos);
  EXPECT_TRUE(store.Erase("a"));
  EXPECT_FALSE(store.Load("a"));
  EXPECT_FALSE(store.Erase("a"));
  std::filesystem::remove_all(dir);
}

TEST(CurlHttpsClient, RefusesPlainHttpBeyondLoopback) {
  CurlHttpsClient https;
  HttpsPost post;
  post.url = "http://login.example.com/token";
  HttpsAnswer answer;
  https.Post(post, [&](HttpsAnswer a) { answer = std::move(a); });
  EXPECT_EQ(answer.status, 0);
  EXPECT_FALSE(answer.error.empty());
}

}  // namespace
}  // namespace postwink
