// postwink-cli password: the stored form of account passwords, both ways.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "core/config/password.h"
#include "core/platform/system.h"
#include "core/text/utf8.h"

namespace postwink::cli {
namespace {

constexpr const char* kUsage = "password scramble TEXT | password unscramble TEXT";

int Run(const std::vector<std::string>& args) {
  if (args.size() != 2 || (args[0] != "scramble" && args[0] != "unscramble")) {
    std::fprintf(stderr, "usage: postwink-cli %s\n", kUsage);
    return kExitUsage;
  }
  const std::string& text = args[1];
  if (args[0] == "unscramble") {
    std::printf("%s\n", ToValidUtf8(UnscramblePassword(text)).c_str());
    return kExitOk;
  }
  System& system = PlatformSystem();
  ScrambleResult r = ScramblePassword(text, system.clock, system.random);
  if (!r.ok()) {
    std::fprintf(stderr, "postwink-cli password: %s\n", r.error.c_str());
    return kExitFailure;
  }
  std::printf("%s\n", r.text.c_str());
  return kExitOk;
}

RegisterCommand reg("password", kUsage, &Run);

}  // namespace
}  // namespace postwink::cli
