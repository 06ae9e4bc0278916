#pragma once
// Subcommands of postwink-cli register themselves, one file each, so adding a command touches
// no shared table.

#include <string>
#include <vector>

namespace postwink::cli {

// Exit codes: 0 success, 1 a failure (message on stderr), 2 a usage error.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

using CommandFunction = int (*)(const std::vector<std::string>& args);

struct Command {
  const char* name;
  const char* usage;  // one line, shown by "postwink-cli help"
  CommandFunction run;
};

std::vector<Command>& Commands();

struct RegisterCommand {
  RegisterCommand(const char* name, const char* usage, CommandFunction run) {
    Commands().push_back({name, usage, run});
  }
};

}  // namespace postwink::cli
