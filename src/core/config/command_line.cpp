#include "core/config/command_line.h"

namespace postwink {
namespace {

bool IsOption(const std::string& arg) {
  return arg.size() > 1 && (arg[0] == '-' || arg[0] == '/') && !(arg[1] >= '0' && arg[1] <= '9');
}

}  // namespace

std::vector<CommandLineOption> ParseCommandLine(const std::vector<std::string>& args) {
  std::vector<CommandLineOption> options;
  for (const std::string& arg : args) {
    if (IsOption(arg)) {
      options.push_back({arg, {}});
    } else if (!options.empty()) {
      options.back().values.push_back(arg);
    }
  }
  return options;
}

bool HasVerboseOption(const std::vector<std::string>& args) {
  for (const CommandLineOption& option : ParseCommandLine(args)) {
    if (option.name == "-v") return true;
  }
  return false;
}

}  // namespace postwink
