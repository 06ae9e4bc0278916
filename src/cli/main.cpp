#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/command.h"
#include "core/platform/system.h"

namespace postwink::cli {

std::vector<Command>& Commands() {
  static std::vector<Command> commands;
  return commands;
}

}  // namespace postwink::cli

int main(int argc, char** argv) {
  using namespace postwink::cli;
  auto usage = [] {
    std::fprintf(stderr, "usage: postwink-cli COMMAND [ARGS...]\n");
    for (const Command& c : Commands()) std::fprintf(stderr, "  %s\n", c.usage);
  };
  if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0) {
    usage();
    return argc < 2 ? kExitUsage : kExitOk;
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  for (const Command& c : Commands()) {
    if (std::strcmp(c.name, argv[1]) == 0) return c.run(args);
  }
  std::fprintf(stderr, "postwink-cli: unknown command '%s'\n", argv[1]);
  usage();
  return kExitUsage;
}
