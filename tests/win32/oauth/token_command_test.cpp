// OAUTH_TOKEN_COMMAND run without a console: its first line, and the bounds on its time and
// output.
#include "win32/platform/token_command_win32.h"

#include <gtest/gtest.h>

#include <chrono>

#include "win32/platform/oauth_texts_win32.h"
#include "window_test_support.h"

namespace postwink::win {
namespace {

TEST(TokenCommandTest, TheFirstLineIsTheToken) {
  struct Case {
    const char* command;
    bool ok;
    std::string firstLine;
    std::string error;
  };
  const Case cases[] = {
      {"echo ya29.token-value", true, "ya29.token-value", ""},
      {"echo first& echo second", true, "first", ""},
      {"exit /b 3", false, "", std::string(texts::kCommandExitCode) + "3"},
      {"echo token& exit /b 2", false, "", std::string(texts::kCommandExitCode) + "2"},
      // No output is the sign-in's to name.
      {"rem nothing", true, "", ""},
      {"echo.", true, "", ""},
  };
  for (const Case& c : cases) {
    CommandOutput out = RunTokenCommand(c.command, 20000, 16 * 1024);
    EXPECT_EQ(out.ok, c.ok) << c.command;
    EXPECT_EQ(out.firstLine, c.firstLine) << c.command;
    EXPECT_EQ(out.error, c.error) << c.command;
  }
}

TEST(TokenCommandTest, AHangingCommandIsEndedAtTheTimeLimit) {
  auto start = std::chrono::steady_clock::now();
  // ping waits about a second per echo; the command would take a minute.
  CommandOutput out = RunTokenCommand("echo early& ping -n 60 127.0.0.1 >NUL", 1500, 16 * 1024);
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(out.error, texts::kCommandTimedOut);
  EXPECT_LT(took, std::chrono::seconds(15));
}

TEST(TokenCommandTest, OutputBeyondTheBoundIsNotWaitedFor) {
  // The token line is in: the rest is cut off and the command ended.
  auto start = std::chrono::steady_clock::now();
  CommandOutput endless = RunTokenCommand(
      "for /l %i in (1,1,1000000) do @echo aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", 60000, 4096);
  EXPECT_TRUE(endless.ok) << endless.error;
  EXPECT_EQ(endless.firstLine, std::string(40, 'a'));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  // A first line longer than the bound is no token.
  CommandOutput unended = RunTokenCommand("echo " + std::string(300, 'b'), 20000, 100);
  EXPECT_FALSE(unended.ok);
  EXPECT_EQ(unended.error, texts::kCommandTooLong);
}

TEST(TokenCommandTest, TheRunnerAnswersOnTheWindowThread) {
  WindowThreadQueue queue;
  WinTokenCommandRunner runner(queue.Poster());
  DWORD caller = GetCurrentThreadId();
  DWORD calledOn = 0;
  CommandOutput got;
  int calls = 0;
  runner.Run("echo tok", 20000, 1024, [&](CommandOutput out) {
    calledOn = GetCurrentThreadId();
    got = std::move(out);
    ++calls;
  });
  ASSERT_TRUE(test::PumpUntil([&] { return calls > 0; }, 20000));
  EXPECT_EQ(calledOn, caller);
  EXPECT_TRUE(got.ok);
  EXPECT_EQ(got.firstLine, "tok");
}

}  // namespace
}  // namespace postwink::win
