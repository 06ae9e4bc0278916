#pragma once
// A tiny backtracking matcher for a subset of the expression syntax (literals, ".", "*" after a
// single atom, "[...]" with ranges and "^" negation, "|" at the top level), used to check the
// automaton on short inputs. Exponential in the worst case: keep the inputs short.

#include <optional>
#include <string_view>
#include <vector>

#include "core/filter/regex_syntax.h"

namespace postwink::testing {

struct RefAtom {
  enum Kind { kLiteral, kAny, kClass } kind = kLiteral;
  RegexChar c = 0;
  bool negate = false;
  std::vector<std::pair<RegexChar, RegexChar>> ranges;
  bool star = false;

  bool Matches(RegexChar t) const {
    switch (kind) {
      case kLiteral:
        return t == c;
      case kAny:
        return t != '\n';
      case kClass: {
        bool in = false;
        for (const auto& [lo, hi] : ranges) in = in || (t >= lo && t <= hi);
        return in != negate;
      }
    }
    return false;
  }
};

using RefBranch = std::vector<RefAtom>;

inline RefAtom MakeRefAtom(RefAtom::Kind kind, RegexChar c = 0) {
  RefAtom atom;
  atom.kind = kind;
  atom.c = c;
  return atom;
}

// Parses the subset; nullopt when the expression uses anything else (escapes, groups, other
// quantifiers, anchors) or is malformed.
inline std::optional<std::vector<RefBranch>> ParseReference(std::string_view text) {
  std::vector<RefBranch> branches(1);
  size_t pos = 0;
  while (pos < text.size()) {
    RegexChar c = NextRegexChar(text, pos);
    RefBranch& branch = branches.back();
    if (c == '|') {
      branches.emplace_back();
    } else if (c == '*') {
      if (branch.empty() || branch.back().star) return std::nullopt;
      branch.back().star = true;
    } else if (c == '.') {
      branch.push_back(MakeRefAtom(RefAtom::kAny));
    } else if (c == '[') {
      RefAtom atom = MakeRefAtom(RefAtom::kClass);
      if (pos < text.size() && text[pos] == '^') {
        atom.negate = true;
        ++pos;
      }
      bool closed = false;
      bool first = true;
      while (pos < text.size()) {
        if (text[pos] == ']' && !first) {
          ++pos;
          closed = true;
          break;
        }
        first = false;
        RegexChar lo = NextRegexChar(text, pos);
        if (lo == '\\' || lo == '[') return std::nullopt;
        RegexChar hi = lo;
        if (pos + 1 < text.size() && text[pos] == '-' && text[pos + 1] != ']') {
          ++pos;
          hi = NextRegexChar(text, pos);
          if (hi == '\\' || hi < lo) return std::nullopt;
        }
        atom.ranges.emplace_back(lo, hi);
      }
      if (!closed) return std::nullopt;
      branch.push_back(atom);
    } else if (c < 0x80 && std::string_view("\\()+?{}^$").find(static_cast<char>(c)) !=
                               std::string_view::npos) {
      return std::nullopt;
    } else {
      branch.push_back(MakeRefAtom(RefAtom::kLiteral, c));
    }
  }
  return branches;
}

inline bool RefMatchHere(const RefBranch& b, size_t ai, const std::vector<RegexChar>& t,
                         size_t ti) {
  if (ai == b.size()) return true;
  const RefAtom& a = b[ai];
  if (a.star) {
    for (size_t k = ti;; ++k) {
      if (RefMatchHere(b, ai + 1, t, k)) return true;
      if (k >= t.size() || !a.Matches(t[k])) return false;
    }
  }
  return ti < t.size() && a.Matches(t[ti]) && RefMatchHere(b, ai + 1, t, ti + 1);
}

inline bool RefSearch(const std::vector<RefBranch>& branches, std::string_view target) {
  std::vector<RegexChar> chars;
  for (size_t pos = 0; pos < target.size();) chars.push_back(NextRegexChar(target, pos));
  for (const RefBranch& b : branches) {
    for (size_t start = 0; start <= chars.size(); ++start) {
      if (RefMatchHere(b, 0, chars, start)) return true;
    }
  }
  return false;
}

}  // namespace postwink::testing
