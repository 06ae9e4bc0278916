#include "core/filter/regex_facility.h"

#include <variant>

namespace postwink {

std::optional<std::string_view> RegexExpression(std::string_view pattern) {
  if (pattern.size() < 3 || pattern.front() != '/' || pattern.back() != '/') return std::nullopt;
  return pattern.substr(1, pattern.size() - 2);
}

namespace {

void CompileInto(std::string_view pattern, CompiledPattern& compiled) {
  compiled.pattern.assign(pattern);
  compiled.program.reset();
  compiled.error.clear();
  std::optional<std::string_view> expression = RegexExpression(pattern);
  if (!expression) {
    compiled.error = "the expression must stand between two slashes: /expression/";
    return;
  }
  auto result = RegexProgram::Compile(*expression);
  if (auto* program = std::get_if<RegexProgram>(&result)) {
    compiled.program = std::move(*program);
  } else {
    compiled.error = std::get<std::string>(std::move(result));
  }
}

class BuiltIn final : public RegexFacility {
 public:
  RegexMatch BMatch(std::string_view pattern, std::string_view target, RegexHandle& handle,
                    std::string& error) override {
    if (!handle) handle = std::make_unique<CompiledPattern>();
    // The handle keeps the last compilation, so rules sharing a pattern compile it once.
    if (handle->pattern != pattern || (!handle->program && handle->error.empty())) {
      CompileInto(pattern, *handle);
    }
    if (!handle->program) {
      error = handle->error;
      return RegexMatch::kInvalid;
    }
    std::optional<bool> found = handle->program->SearchWithin(target, kRegexStepBudget);
    if (!found) return RegexMatch::kGaveUp;
    return *found ? RegexMatch::kFound : RegexMatch::kNotFound;
  }

  void BRegfree(RegexHandle& handle) override { handle.reset(); }
};

}  // namespace

RegexFacility& BuiltInRegex() {
  static BuiltIn facility;
  return facility;
}

std::optional<std::string> RegexPatternError(std::string_view pattern) {
  CompiledPattern compiled;
  CompileInto(pattern, compiled);
  if (compiled.program) return std::nullopt;
  return compiled.error;
}

}  // namespace postwink
