#pragma once
// The syntax tree of the built-in regular expressions. A character is one Unicode code point of
// the UTF-8 text; a class is a list of ranges over code points.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace postwink {

using RegexChar = uint32_t;
// A byte that starts no valid UTF-8 character reads as this plus its value, above every code
// point, so a broken target never matches a real character.
constexpr RegexChar kRegexInvalidByte = 0x110000;
constexpr RegexChar kRegexCharMax = kRegexInvalidByte + 0xFF;

// Reads the character at pos of text (one code point, or one stray byte) and advances pos past it.
RegexChar NextRegexChar(std::string_view text, size_t& pos);

// A set of characters as sorted, disjoint, non-adjacent ranges.
class RegexCharSet {
 public:
  void Add(RegexChar low, RegexChar high);
  void AddSet(const RegexCharSet& other);
  // Sorts and merges the ranges; call once after the last Add.
  void Normalise();
  // Replaces the set by its complement over all characters (normalises first).
  void Complement();
  bool Contains(RegexChar c) const;
  const std::vector<std::pair<RegexChar, RegexChar>>& Ranges() const { return ranges_; }

 private:
  std::vector<std::pair<RegexChar, RegexChar>> ranges_;
};

enum class RegexNodeKind : uint8_t {
  kEmpty,
  kLiteral,          // one character
  kAny,              // "." : any character except "\n"
  kClass,            // "[...]" and the class escapes
  kBeginText,        // "^"
  kEndText,          // "$" : the end, or before a final "\n"
  kWordBoundary,     // "\b"
  kNotWordBoundary,  // "\B"
  kConcat,
  kAlternate,
  kRepeat,
};

constexpr int kRegexInfinite = -1;

struct RegexNode {
  RegexNodeKind kind = RegexNodeKind::kEmpty;
  RegexChar literal = 0;
  int classIndex = -1;        // into RegexTree::classes
  std::vector<int> children;  // node indexes; a repeat has one
  int min = 0;
  int max = 0;  // kRegexInfinite for no upper bound
  bool greedy = true;
};

struct RegexTree {
  std::vector<RegexNode> nodes;  // flat, so no destructor recurses
  std::vector<RegexCharSet> classes;
  int root = -1;
  bool ignoreCase = false;  // "(?i)": ASCII letters match either case
};

// Limits that keep a hostile or careless expression from exhausting the stack or memory.
constexpr int kRegexMaxNesting = 100;
constexpr int kRegexMaxRepeat = 1000;

struct RegexParseResult {
  std::variant<RegexTree, std::string> value;  // the tree, or an error message
  bool ok() const { return value.index() == 0; }
};

// Parses an expression (without its enclosing slashes). The parser keeps its open groups on
// an explicit stack; the tree it builds is at most kRegexMaxNesting groups deep.
RegexParseResult ParseRegex(std::string_view expression);

}  // namespace postwink
