#pragma once
// The regular-expression facility the filters call through two operations: match a
// "/expression/" against a target with a compiled-pattern handle that all rules of one
// evaluation share, and release that handle. Postwink brings its own implementation, built in
// and always present; no library is loaded by name. The filters take the facility as a
// pointer, and a null pointer is the path for "no facility" (plain substring matching).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/filter/regex_program.h"

namespace postwink {

// What a compiled-pattern handle holds: the last pattern compiled through it.
struct CompiledPattern {
  std::string pattern;                  // the whole "/expression/" text
  std::optional<RegexProgram> program;  // none when the expression is invalid
  std::string error;
};
using RegexHandle = std::unique_ptr<CompiledPattern>;

enum class RegexMatch {
  kNotFound,
  kFound,
  kInvalid,  // not written between two slashes, or not a valid expression
  kGaveUp,   // the search took more than kRegexStepBudget steps without an answer
};

// The most work one match may take: a step is one thread of the expression moved over one
// character, so an ordinary expression searches megabytes within it, while the largest program
// with every thread alive gives up after a few kilobytes (some tens of milliseconds).
inline constexpr uint64_t kRegexStepBudget = 1u << 23;

class RegexFacility {
 public:
  virtual ~RegexFacility() = default;
  // Matches pattern ("/expression/", slashes included) somewhere in target. The handle starts
  // out null; the call may set or replace it. On kInvalid, error holds the reason.
  virtual RegexMatch BMatch(std::string_view pattern, std::string_view target, RegexHandle& handle,
                            std::string& error) = 0;
  virtual void BRegfree(RegexHandle& handle) = 0;
};

// The built-in facility (one instance for the program).
RegexFacility& BuiltInRegex();

// The expression between the slashes of a "/expression/" pattern: at least three bytes,
// starting and ending with "/". nullopt for any other pattern.
std::optional<std::string_view> RegexExpression(std::string_view pattern);

// Why a pattern would not be accepted by the built-in facility; nullopt when it is valid.
std::optional<std::string> RegexPatternError(std::string_view pattern);

}  // namespace postwink
