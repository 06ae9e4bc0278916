#pragma once
// A compiled regular expression: a small automaton program run over the target one code point
// at a time, all threads in step (Thompson/Pike simulation). The time is linear
// in the target's length, with no backtracking and no recursion.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/filter/regex_syntax.h"

namespace postwink {

// The longest program an expression may compile to. Each character of the target costs up to
// one step per instruction, so this bounds the time per byte as well as the memory: a larger
// program (nested counted repeats) is rejected rather than allowed to crawl over a long header.
constexpr size_t kRegexMaxProgram = 2000;

class RegexProgram {
 public:
  // Compiles an expression (without its slashes); the error text on failure.
  static std::variant<RegexProgram, std::string> Compile(std::string_view expression);

  // True when the expression matches somewhere in target.
  bool Search(std::string_view target) const { return *SearchWithin(target, UINT64_MAX); }
  // The same with a bound on the work: each character costs one step per thread alive at it.
  // Nothing when the steps ran out before an answer.
  std::optional<bool> SearchWithin(std::string_view target, uint64_t maxSteps) const;

  size_t Size() const { return code_.size(); }

 private:
  enum class Op : uint8_t {
    kChar,    // arg: the character; fold: compare ASCII letters without case
    kAny,     // any character but "\n"
    kClass,   // arg: index into classes_
    kSplit,   // continue at x and at y (x preferred)
    kJump,    // continue at x
    kAssert,  // arg: the RegexNodeKind of the zero-width test
    kMatch,
  };
  struct Inst {
    Op op = Op::kMatch;
    bool fold = false;
    RegexChar arg = 0;
    uint32_t x = 0;
    uint32_t y = 0;
  };

  friend class RegexEmitter;

  std::vector<Inst> code_;
  std::vector<RegexCharSet> classes_;
};

}  // namespace postwink
