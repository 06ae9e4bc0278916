// Random expressions against random code page 932 targets. Input: the expression, a NUL byte,
// the target. Short inputs in the simple subset are checked against a backtracking matcher.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "core/filter/regex_facility.h"
#include "core/filter/regex_program.h"
#include "regex_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace postwink;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t nul = input.find('\0');
  std::string_view expression = input.substr(0, nul);
  std::string_view target = nul == std::string_view::npos ? "" : input.substr(nul + 1);

  auto compiled = RegexProgram::Compile(expression);
  const RegexProgram* program = std::get_if<RegexProgram>(&compiled);
  if (program && program->Size() > kRegexMaxProgram) __builtin_trap();
  bool found = program && program->Search(target);
  // A bounded search gives the same answer, or none when its steps ran out.
  std::optional<bool> bounded =
      program ? program->SearchWithin(target, kRegexStepBudget) : std::optional<bool>(false);
  if (bounded && *bounded != found) __builtin_trap();

  // The facility must agree with the program it compiles.
  RegexHandle handle;
  std::string error;
  RegexMatch match =
      BuiltInRegex().BMatch("/" + std::string(expression) + "/", target, handle, error);
  // "//" is no expression: the slashes must enclose at least one byte.
  RegexMatch expected = RegexMatch::kInvalid;
  if (program && !expression.empty()) {
    expected = !bounded ? RegexMatch::kGaveUp : found ? RegexMatch::kFound : RegexMatch::kNotFound;
  }
  if (match != expected) {
    __builtin_trap();
  }
  BuiltInRegex().BRegfree(handle);

  // The reference backtracks: keep it to short inputs with few stars.
  if (expression.size() <= 16 && target.size() <= 24 &&
      std::count(expression.begin(), expression.end(), '*') <= 3) {
    if (auto reference = testing::ParseReference(expression)) {
      if (!program || found != testing::RefSearch(*reference, target)) __builtin_trap();
    }
  }
  return 0;
}
