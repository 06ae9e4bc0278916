#include "core/filter/regex_syntax.h"

#include <algorithm>
#include <optional>

#include "core/text/utf8.h"

namespace postwink {

RegexChar NextRegexChar(std::string_view text, size_t& pos) {
  const unsigned char b = static_cast<unsigned char>(text[pos]);
  if (b < 0x80) {
    ++pos;
    return b;
  }
  const DecodedChar ch = DecodeChar(text, pos);
  pos += ch.length;
  // A byte that is no UTF-8 matches only itself, never a real character.
  return ch.valid ? ch.codePoint : kRegexInvalidByte + b;
}

void RegexCharSet::Add(RegexChar low, RegexChar high) { ranges_.emplace_back(low, high); }

void RegexCharSet::AddSet(const RegexCharSet& other) {
  ranges_.insert(ranges_.end(), other.ranges_.begin(), other.ranges_.end());
}

void RegexCharSet::Normalise() {
  std::sort(ranges_.begin(), ranges_.end());
  std::vector<std::pair<RegexChar, RegexChar>> merged;
  for (const auto& r : ranges_) {
    if (!merged.empty() && r.first <= merged.back().second + 1) {
      merged.back().second = std::max(merged.back().second, r.second);
    } else {
      merged.push_back(r);
    }
  }
  ranges_ = std::move(merged);
}

void RegexCharSet::Complement() {
  Normalise();
  std::vector<std::pair<RegexChar, RegexChar>> result;
  RegexChar next = 0;
  for (const auto& r : ranges_) {
    if (r.first > next) result.emplace_back(next, r.first - 1);
    next = r.second + 1;
  }
  if (next <= kRegexCharMax) result.emplace_back(next, kRegexCharMax);
  ranges_ = std::move(result);
}

bool RegexCharSet::Contains(RegexChar c) const {
  auto it = std::upper_bound(ranges_.begin(), ranges_.end(), std::make_pair(c, kRegexCharMax));
  if (it == ranges_.begin()) return false;
  --it;
  return c >= it->first && c <= it->second;
}

namespace {

bool IsDigit(RegexChar c) { return c >= '0' && c <= '9'; }
bool IsAsciiAlnum(RegexChar c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int HexValue(RegexChar c) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
  return -1;
}

// The sets of \d, \w and \s (and, complemented, \D, \W, \S). Double-byte characters are in
// none of them.
std::optional<RegexCharSet> ClassEscape(RegexChar c) {
  RegexCharSet set;
  switch (c) {
    case 'd':
    case 'D':
      set.Add('0', '9');
      break;
    case 'w':
    case 'W':
      set.Add('0', '9');
      set.Add('A', 'Z');
      set.Add('a', 'z');
      set.Add('_', '_');
      break;
    case 's':
    case 'S':
      set.Add('\t', '\r');  // tab, newline, vertical tab, form feed, carriage return
      set.Add(' ', ' ');
      break;
    default:
      return std::nullopt;
  }
  if (c == 'D' || c == 'W' || c == 'S') {
    set.Complement();
  } else {
    set.Normalise();
  }
  return set;
}

void AddOtherCase(RegexCharSet& set) {
  RegexCharSet extra;
  for (const auto& [low, high] : set.Ranges()) {
    RegexChar upperLow = std::max<RegexChar>(low, 'A'), upperHigh = std::min<RegexChar>(high, 'Z');
    if (upperLow <= upperHigh) extra.Add(upperLow + 32, upperHigh + 32);
    RegexChar lowerLow = std::max<RegexChar>(low, 'a'), lowerHigh = std::min<RegexChar>(high, 'z');
    if (lowerLow <= lowerHigh) extra.Add(lowerLow - 32, lowerHigh - 32);
  }
  set.AddSet(extra);
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  RegexParseResult Run() {
    if (text_.substr(0, 4) == "(?i)") {
      tree_.ignoreCase = true;
      pos_ = 4;
    }
    frames_.emplace_back();
    frames_.back().alternatives.emplace_back();
    while (pos_ < text_.size()) {
      if (!Step()) return {std::move(error_)};
    }
    if (frames_.size() > 1) return {std::string("missing )")};
    tree_.root = CloseFrame();
    return {std::move(tree_)};
  }

 private:
  struct Item {
    int node;
    bool quantified;
  };
  struct Frame {
    std::vector<std::vector<Item>> alternatives;
  };

  bool Fail(const char* message) {
    error_ = message;
    return false;
  }

  int AddNode(RegexNode node) {
    tree_.nodes.push_back(std::move(node));
    return static_cast<int>(tree_.nodes.size() - 1);
  }
  int AddLeaf(RegexNodeKind kind, RegexChar literal = 0) {
    RegexNode node;
    node.kind = kind;
    node.literal = literal;
    return AddNode(std::move(node));
  }
  int AddClass(RegexCharSet set) {
    tree_.classes.push_back(std::move(set));
    RegexNode node;
    node.kind = RegexNodeKind::kClass;
    node.classIndex = static_cast<int>(tree_.classes.size() - 1);
    return AddNode(std::move(node));
  }
  void Append(int node) { frames_.back().alternatives.back().push_back({node, false}); }

  // Builds the node for the innermost open group and removes its frame.
  int CloseFrame() {
    Frame frame = std::move(frames_.back());
    frames_.pop_back();
    std::vector<int> branches;
    for (const auto& items : frame.alternatives) {
      if (items.size() == 1) {
        branches.push_back(items[0].node);
        continue;
      }
      RegexNode concat;
      concat.kind = items.empty() ? RegexNodeKind::kEmpty : RegexNodeKind::kConcat;
      for (const Item& item : items) concat.children.push_back(item.node);
      branches.push_back(AddNode(std::move(concat)));
    }
    if (branches.size() == 1) return branches[0];
    RegexNode alternate;
    alternate.kind = RegexNodeKind::kAlternate;
    alternate.children = std::move(branches);
    return AddNode(std::move(alternate));
  }

  bool AtSingle(char c) const { return pos_ < text_.size() && text_[pos_] == c; }

  bool Step() {
    size_t start = pos_;
    RegexChar c = NextRegexChar(text_, pos_);
    switch (c) {
      case '(':
        return OpenGroup();
      case ')':
        if (frames_.size() == 1) return Fail("unmatched )");
        {
          int node = CloseFrame();
          Append(node);
        }
        return true;
      case '|':
        frames_.back().alternatives.emplace_back();
        return true;
      case '*':
        return Quantify(0, kRegexInfinite);
      case '+':
        return Quantify(1, kRegexInfinite);
      case '?':
        return Quantify(0, 1);
      case '{':
        return Brace(start);
      case '.':
        Append(AddLeaf(RegexNodeKind::kAny));
        return true;
      case '^':
        Append(AddLeaf(RegexNodeKind::kBeginText));
        return true;
      case '$':
        Append(AddLeaf(RegexNodeKind::kEndText));
        return true;
      case '[':
        return Class();
      case '\\':
        return Escape();
      default:
        Append(AddLeaf(RegexNodeKind::kLiteral, c));
        return true;
    }
  }

  bool OpenGroup() {
    if (AtSingle('?')) {
      if (text_.substr(pos_, 2) != "?:") {
        return Fail("unsupported (? group; only (?: and a leading (?i) are known");
      }
      pos_ += 2;
    }
    if (static_cast<int>(frames_.size()) > kRegexMaxNesting)
      return Fail("groups nested too deeply");
    frames_.emplace_back();
    frames_.back().alternatives.emplace_back();
    return true;
  }

  bool Quantify(int min, int max) {
    auto& items = frames_.back().alternatives.back();
    if (items.empty()) return Fail("quantifier follows nothing");
    if (items.back().quantified) return Fail("nested quantifier");
    RegexNode repeat;
    repeat.kind = RegexNodeKind::kRepeat;
    repeat.min = min;
    repeat.max = max;
    repeat.children.push_back(items.back().node);
    if (AtSingle('?')) {
      repeat.greedy = false;
      ++pos_;
    }
    items.back() = {AddNode(std::move(repeat)), true};
    return true;
  }

  // Reads a decimal count at pos_; nullopt when there is no digit. Counts above the limit are
  // reported as the limit + 1 so that the caller rejects them.
  std::optional<int> Count() {
    if (pos_ >= text_.size() || !IsDigit(static_cast<unsigned char>(text_[pos_]))) {
      return std::nullopt;
    }
    int value = 0;
    while (pos_ < text_.size() && IsDigit(static_cast<unsigned char>(text_[pos_]))) {
      value = std::min(value * 10 + (text_[pos_] - '0'), kRegexMaxRepeat + 1);
      ++pos_;
    }
    return value;
  }

  // "{m}", "{m,}" or "{m,n}"; anything else is a literal "{", as in Perl.
  bool Brace(size_t start) {
    std::optional<int> min = Count();
    std::optional<int> max = min;
    bool valid = min.has_value();
    if (valid && AtSingle(',')) {
      ++pos_;
      max = Count();
      if (!max) max = kRegexInfinite;
    }
    valid = valid && AtSingle('}');
    if (!valid) {
      pos_ = start + 1;
      Append(AddLeaf(RegexNodeKind::kLiteral, '{'));
      return true;
    }
    ++pos_;
    if (*min > kRegexMaxRepeat || *max > kRegexMaxRepeat) return Fail("repeat count above 1000");
    if (*max != kRegexInfinite && *max < *min) return Fail("repeat count {m,n} with n below m");
    return Quantify(*min, *max);
  }

  // After a backslash: a class escape gives its set, anything else one character.
  struct Escaped {
    std::optional<RegexCharSet> set;
    RegexChar c = 0;
  };
  std::optional<Escaped> ReadEscape(bool inClass) {
    if (pos_ >= text_.size()) {
      Fail("trailing backslash");
      return std::nullopt;
    }
    RegexChar c = NextRegexChar(text_, pos_);
    Escaped e;
    if (auto set = ClassEscape(c)) {
      e.set = std::move(set);
      return e;
    }
    switch (c) {
      case 't':
        e.c = '\t';
        return e;
      case 'n':
        e.c = '\n';
        return e;
      case 'r':
        e.c = '\r';
        return e;
      case 'f':
        e.c = '\f';
        return e;
      case 'v':
        e.c = '\v';
        return e;
      case 'a':
        e.c = '\a';
        return e;
      case 'e':
        e.c = 0x1B;
        return e;
      case 'x': {
        int value = 0;
        int digits = 0;
        while (digits < 2 && pos_ < text_.size()) {
          int h = HexValue(static_cast<unsigned char>(text_[pos_]));
          if (h < 0) break;
          value = value * 16 + h;
          ++pos_;
          ++digits;
        }
        if (digits == 0) {
          Fail("\\x needs one or two hexadecimal digits");
          return std::nullopt;
        }
        e.c = static_cast<RegexChar>(value);
        return e;
      }
      case 'b':
        if (inClass) {
          e.c = '\b';
          return e;
        }
        break;
      default:
        break;
    }
    if (c < 0x80 && IsAsciiAlnum(c)) {
      Fail("unknown escape sequence");
      return std::nullopt;
    }
    e.c = c;  // an escaped sign or a multi-byte character stands for itself
    return e;
  }

  bool Escape() {
    if (pos_ < text_.size() && (text_[pos_] == 'b' || text_[pos_] == 'B')) {
      Append(AddLeaf(text_[pos_] == 'b' ? RegexNodeKind::kWordBoundary
                                        : RegexNodeKind::kNotWordBoundary));
      ++pos_;
      return true;
    }
    std::optional<Escaped> e = ReadEscape(false);
    if (!e) return false;
    if (e->set) {
      Append(AddClass(std::move(*e->set)));
    } else {
      Append(AddLeaf(RegexNodeKind::kLiteral, e->c));
    }
    return true;
  }

  bool Class() {
    RegexCharSet set;
    bool negate = AtSingle('^');
    if (negate) ++pos_;
    bool first = true;
    for (;;) {
      if (pos_ >= text_.size()) return Fail("missing ]");
      if (text_[pos_] == ']' && !first) {
        ++pos_;
        break;
      }
      first = false;
      // One member: a character or a class escape, possibly the start of a range.
      RegexChar low = 0;
      if (text_[pos_] == '\\') {
        ++pos_;
        std::optional<Escaped> e = ReadEscape(true);
        if (!e) return false;
        if (e->set) {
          set.AddSet(*e->set);
          continue;
        }
        low = e->c;
      } else {
        low = NextRegexChar(text_, pos_);
      }
      RegexChar high = low;
      if (AtSingle('-') && pos_ + 1 < text_.size() && text_[pos_ + 1] != ']') {
        ++pos_;
        if (text_[pos_] == '\\') {
          ++pos_;
          std::optional<Escaped> e = ReadEscape(true);
          if (!e) return false;
          if (e->set) return Fail("a class escape cannot end a range");
          high = e->c;
        } else {
          high = NextRegexChar(text_, pos_);
        }
        if (high < low) return Fail("range out of order in [...]");
      }
      set.Add(low, high);
    }
    // Folding before the complement keeps (?i)[^a] from matching "A".
    if (tree_.ignoreCase) AddOtherCase(set);
    if (negate) {
      set.Complement();
    } else {
      set.Normalise();
    }
    Append(AddClass(std::move(set)));
    return true;
  }

  std::string_view text_;
  size_t pos_ = 0;
  RegexTree tree_;
  std::vector<Frame> frames_;
  std::string error_;
};

}  // namespace

RegexParseResult ParseRegex(std::string_view expression) { return Parser(expression).Run(); }

}  // namespace postwink
