#include "core/filter/regex_program.h"

#include <algorithm>
#include <utility>

namespace postwink {

// Turns a syntax tree into a program. The walks recurse over the tree, whose depth the parser
// bounds (kRegexMaxNesting groups), never over the target.
class RegexEmitter {
 public:
  RegexEmitter(const RegexTree& tree, RegexProgram& program) : tree_(tree), program_(program) {}

  // Program size of a node, saturated just above the limit so that nested counts cannot
  // overflow.
  size_t SizeOf(int index) const {
    const RegexNode& node = tree_.nodes[index];
    switch (node.kind) {
      case RegexNodeKind::kEmpty:
        return 0;
      case RegexNodeKind::kConcat:
      case RegexNodeKind::kAlternate: {
        size_t total = node.kind == RegexNodeKind::kAlternate ? 2 * (node.children.size() - 1) : 0;
        for (int child : node.children) total = Saturate(total + SizeOf(child));
        return total;
      }
      case RegexNodeKind::kRepeat: {
        size_t child = SizeOf(node.children[0]);
        size_t total = Saturate(static_cast<size_t>(node.min) * child);
        if (node.max == kRegexInfinite) return Saturate(total + child + 2);
        return Saturate(total + static_cast<size_t>(node.max - node.min) * (child + 1));
      }
      default:
        return 1;
    }
  }

  void Emit(int index) {
    const RegexNode& node = tree_.nodes[index];
    switch (node.kind) {
      case RegexNodeKind::kEmpty:
        return;
      case RegexNodeKind::kLiteral: {
        RegexProgram::Inst inst;
        inst.op = RegexProgram::Op::kChar;
        inst.arg = node.literal;
        if (tree_.ignoreCase && IsAsciiLetter(node.literal)) {
          inst.fold = true;
          inst.arg = node.literal | 0x20;
        }
        Push(inst);
        return;
      }
      case RegexNodeKind::kAny:
        Push({RegexProgram::Op::kAny});
        return;
      case RegexNodeKind::kClass: {
        RegexProgram::Inst inst{RegexProgram::Op::kClass};
        inst.arg = static_cast<RegexChar>(node.classIndex);
        Push(inst);
        return;
      }
      case RegexNodeKind::kBeginText:
      case RegexNodeKind::kEndText:
      case RegexNodeKind::kWordBoundary:
      case RegexNodeKind::kNotWordBoundary: {
        RegexProgram::Inst inst{RegexProgram::Op::kAssert};
        inst.arg = static_cast<RegexChar>(node.kind);
        Push(inst);
        return;
      }
      case RegexNodeKind::kConcat:
        for (int child : node.children) Emit(child);
        return;
      case RegexNodeKind::kAlternate:
        EmitAlternate(node);
        return;
      case RegexNodeKind::kRepeat:
        EmitRepeat(node);
        return;
    }
  }

  void Finish() { Push({RegexProgram::Op::kMatch}); }

 private:
  static size_t Saturate(size_t n) { return std::min(n, kRegexMaxProgram + 1); }
  static bool IsAsciiLetter(RegexChar c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

  uint32_t Here() const { return static_cast<uint32_t>(program_.code_.size()); }
  uint32_t Push(RegexProgram::Inst inst) {
    program_.code_.push_back(inst);
    return Here() - 1;
  }
  uint32_t PushSplit() { return Push({RegexProgram::Op::kSplit}); }
  // Points a split at its two continuations, the preferred one first.
  void SetSplit(uint32_t at, uint32_t into, uint32_t past, bool greedy) {
    program_.code_[at].x = greedy ? into : past;
    program_.code_[at].y = greedy ? past : into;
  }

  void EmitAlternate(const RegexNode& node) {
    std::vector<uint32_t> jumps;
    for (size_t i = 0; i < node.children.size(); ++i) {
      if (i + 1 == node.children.size()) {
        Emit(node.children[i]);
        break;
      }
      uint32_t split = PushSplit();
      Emit(node.children[i]);
      jumps.push_back(Push({RegexProgram::Op::kJump}));
      SetSplit(split, split + 1, Here(), true);
    }
    for (uint32_t jump : jumps) program_.code_[jump].x = Here();
  }

  void EmitRepeat(const RegexNode& node) {
    int child = node.children[0];
    for (int i = 0; i < node.min; ++i) Emit(child);
    if (node.max == kRegexInfinite) {
      uint32_t loop = PushSplit();
      Emit(child);
      RegexProgram::Inst back{RegexProgram::Op::kJump};
      back.x = loop;
      Push(back);
      SetSplit(loop, loop + 1, Here(), node.greedy);
      return;
    }
    std::vector<uint32_t> splits;
    for (int i = node.min; i < node.max; ++i) {
      splits.push_back(PushSplit());
      Emit(child);
    }
    for (uint32_t split : splits) SetSplit(split, split + 1, Here(), node.greedy);
  }

  const RegexTree& tree_;
  RegexProgram& program_;
};

std::variant<RegexProgram, std::string> RegexProgram::Compile(std::string_view expression) {
  RegexParseResult parsed = ParseRegex(expression);
  if (!parsed.ok()) return std::get<std::string>(std::move(parsed.value));
  const RegexTree& tree = std::get<RegexTree>(parsed.value);
  RegexProgram program;
  RegexEmitter emitter(tree, program);
  if (emitter.SizeOf(tree.root) + 1 > kRegexMaxProgram) {
    return std::string("expression too large");
  }
  program.classes_ = tree.classes;
  program.code_.reserve(emitter.SizeOf(tree.root) + 1);
  emitter.Emit(tree.root);
  emitter.Finish();
  return program;
}

namespace {

bool IsWordChar(RegexChar c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// What the zero-width tests need to know about one position of the target.
struct Position {
  size_t offset = 0;
  size_t length = 0;  // of the character at offset; 0 at the end
  RegexChar current = 0;
  bool hasPrevious = false;
  RegexChar previous = 0;
  bool atEnd = false;
  bool beforeFinalNewline = false;
};

Position PositionAt(std::string_view target, size_t offset, const Position* before) {
  Position p;
  p.offset = offset;
  if (before) {
    p.hasPrevious = true;
    p.previous = before->current;
  }
  p.atEnd = offset >= target.size();
  if (!p.atEnd) {
    size_t next = offset;
    p.current = NextRegexChar(target, next);
    p.length = next - offset;
    p.beforeFinalNewline = p.current == '\n' && next == target.size();
  }
  return p;
}

bool AssertionHolds(RegexNodeKind kind, const Position& p) {
  switch (kind) {
    case RegexNodeKind::kBeginText:
      return p.offset == 0;
    case RegexNodeKind::kEndText:
      return p.atEnd || p.beforeFinalNewline;
    case RegexNodeKind::kWordBoundary:
    case RegexNodeKind::kNotWordBoundary: {
      bool before = p.hasPrevious && IsWordChar(p.previous);
      bool after = !p.atEnd && IsWordChar(p.current);
      return (before != after) == (kind == RegexNodeKind::kWordBoundary);
    }
    default:
      return false;
  }
}

// A set of program counters with constant-time insert, test and clear.
class ThreadSet {
 public:
  explicit ThreadSet(size_t size) : sparse_(size), dense_(size) {}
  bool Contains(uint32_t pc) const {
    uint32_t i = sparse_[pc];
    return i < count_ && dense_[i] == pc;
  }
  void Insert(uint32_t pc) {
    sparse_[pc] = static_cast<uint32_t>(count_);
    dense_[count_++] = pc;
  }
  void Clear() { count_ = 0; }
  size_t Count() const { return count_; }
  uint32_t At(size_t i) const { return dense_[i]; }

 private:
  std::vector<uint32_t> sparse_;
  std::vector<uint32_t> dense_;
  size_t count_ = 0;
};

}  // namespace

std::optional<bool> RegexProgram::SearchWithin(std::string_view target, uint64_t maxSteps) const {
  const size_t size = code_.size();
  ThreadSet current(size);
  ThreadSet next(size);
  std::vector<uint32_t> stack;
  stack.reserve(size);

  // Follows the jumps, splits and zero-width tests from pc at position p and records every
  // instruction reached; true when the match instruction is among them.
  auto addThread = [&](ThreadSet& set, uint32_t pc, const Position& p) {
    stack.push_back(pc);
    while (!stack.empty()) {
      uint32_t at = stack.back();
      stack.pop_back();
      if (set.Contains(at)) continue;
      set.Insert(at);
      const Inst& inst = code_[at];
      switch (inst.op) {
        case Op::kMatch:
          stack.clear();
          return true;
        case Op::kJump:
          stack.push_back(inst.x);
          break;
        case Op::kSplit:
          stack.push_back(inst.y);
          stack.push_back(inst.x);
          break;
        case Op::kAssert:
          if (AssertionHolds(static_cast<RegexNodeKind>(inst.arg), p)) stack.push_back(at + 1);
          break;
        default:
          break;
      }
    }
    return false;
  };

  // An expression that begins with "^" can only start at the first character, and gives up
  // as soon as its threads have died.
  const bool anchored = code_[0].op == Op::kAssert &&
                        static_cast<RegexNodeKind>(code_[0].arg) == RegexNodeKind::kBeginText;
  Position here = PositionAt(target, 0, nullptr);
  uint64_t steps = 0;
  for (;;) {
    // Otherwise a match may start at every character boundary.
    if (!anchored || here.offset == 0) {
      if (addThread(current, 0, here)) return true;
    }
    if (here.atEnd || current.Count() == 0) return false;
    steps += current.Count() + 1;
    if (steps > maxSteps) return std::nullopt;
    Position after = PositionAt(target, here.offset + here.length, &here);
    const RegexChar c = here.current;
    for (size_t i = 0; i < current.Count(); ++i) {
      uint32_t pc = current.At(i);
      const Inst& inst = code_[pc];
      bool consumed = false;
      switch (inst.op) {
        case Op::kChar:
          consumed = inst.fold ? (c < 0x80 && (c | 0x20) == inst.arg) : c == inst.arg;
          break;
        case Op::kAny:
          consumed = c != '\n';
          break;
        case Op::kClass:
          consumed = classes_[inst.arg].Contains(c);
          break;
        default:
          break;
      }
      if (consumed && addThread(next, pc + 1, after)) return true;
    }
    std::swap(current, next);
    next.Clear();
    here = after;
  }
}

}  // namespace postwink
