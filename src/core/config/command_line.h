#pragma once
// The program's command line: options and the values that follow them.

#include <string>
#include <vector>

namespace postwink {

struct CommandLineOption {
  std::string name;  // as given, with its "-" or "/"
  std::vector<std::string> values;
};

// An argument is an option when it is longer than one character, begins with "-" or "/", and its
// second character is not a digit; the other arguments are values of the option before them
// (values before the first option belong to none and are dropped). args excludes the program.
std::vector<CommandLineOption> ParseCommandLine(const std::vector<std::string>& args);

// "-v" exactly, compared case-sensitively.
bool HasVerboseOption(const std::vector<std::string>& args);

}  // namespace postwink
