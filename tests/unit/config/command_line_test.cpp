#include "core/config/command_line.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

TEST(CommandLine, VerboseIsExactlyDashV) {
  struct Case {
    std::vector<std::string> args;
    bool verbose;
  } cases[] = {
      {{}, false},          {{"-v"}, true},   {{"-V"}, false},
      {{"/v"}, false},      {{"-vv"}, false}, {{"x", "-v", "y"}, true},
      {{"-a", "-v"}, true}, {{"v"}, false},   {{"-"}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HasVerboseOption(c.args), c.verbose) << ::testing::PrintToString(c.args);
  }
}

TEST(CommandLine, ValuesBelongToTheOptionBeforeThem) {
  std::vector<CommandLineOption> options =
      ParseCommandLine({"lost", "-a", "1", "-5", "/b", "-", "/", "x", "-v"});
  ASSERT_EQ(options.size(), 3u);
  EXPECT_EQ(options[0].name, "-a");
  EXPECT_EQ(options[0].values, (std::vector<std::string>{"1", "-5"}));  // a digit: a value
  EXPECT_EQ(options[1].name, "/b");
  EXPECT_EQ(options[1].values, (std::vector<std::string>{"-", "/", "x"}));
  EXPECT_EQ(options[2].name, "-v");
  EXPECT_TRUE(options[2].values.empty());
}

}  // namespace
}  // namespace postwink
