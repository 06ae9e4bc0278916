#include "core/ui/tooltip_markup.h"

#include <array>

#include "core/text/utf8.h"

namespace postwink {
namespace {

struct TagInfo {
  std::string_view name;
  MarkupOp op;
  bool takesValue;
};

constexpr std::array<TagInfo, 15> kTags = {{
    {"b", MarkupOp::kBold, false},
    {"i", MarkupOp::kItalic, false},
    {"u", MarkupOp::kUnderline, false},
    {"s", MarkupOp::kStrikeOut, false},
    {"br", MarkupOp::kLineBreak, true},
    {"t", MarkupOp::kTab, true},
    {"ct", MarkupOp::kTextColour, true},
    {"cti", MarkupOp::kTextColourIndex, true},
    {"cb", MarkupOp::kBackColour, true},
    {"cbi", MarkupOp::kBackColourIndex, true},
    {"al", MarkupOp::kAlignLeft, false},
    {"al_l", MarkupOp::kAlignLeft, false},
    {"al_c", MarkupOp::kAlignCentre, false},
    {"al_r", MarkupOp::kAlignRight, false},
    {"hr", MarkupOp::kRule, true},
}};

const TagInfo* FindTag(std::string_view lowerName) {
  for (const TagInfo& tag : kTags) {
    if (tag.name == lowerName) return &tag;
  }
  return nullptr;
}

bool IsDigitInBase(char c, unsigned base) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0') < base;
  if (base == 16) return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  return false;
}

unsigned DigitValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  return static_cast<unsigned>(c - 'A' + 10);
}

// An unsigned number whose base follows from its prefix, like the C library's strtoul with
// base 0: the longest valid prefix counts, no digits give 0, and it saturates instead of
// wrapping around.
uint32_t ReadUnsigned(std::string_view s) {
  unsigned base = 10;
  size_t pos = 0;
  if (s.size() >= 3 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X') && IsDigitInBase(s[2], 16)) {
    base = 16;
    pos = 2;
  } else if (!s.empty() && s[0] == '0') {
    base = 8;
  }
  uint64_t value = 0;
  for (; pos < s.size() && IsDigitInBase(s[pos], base); ++pos) {
    value = value * base + DigitValue(s[pos]);
    if (value > UINT32_MAX) return UINT32_MAX;
  }
  return static_cast<uint32_t>(value);
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  std::vector<MarkupToken> Run() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '\r') {
        ++pos_;
      } else if (c == '\n') {
        ++pos_;
        Emit(MarkupTag(MarkupOp::kLineBreak, 1));
      } else if (c == '\t') {
        ++pos_;
        Emit(MarkupTag(MarkupOp::kTab, 1));
      } else if (c == '<') {
        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '<') {
          run_ += '<';
          pos_ += 2;
        } else {
          ++pos_;
          ReadTag();
        }
      } else {
        const size_t n = CharLength(text_, pos_);
        run_.append(text_.substr(pos_, n));
        pos_ += n;
      }
    }
    FlushRun();
    return std::move(tokens_);
  }

 private:
  void FlushRun() {
    if (run_.empty()) return;
    tokens_.push_back(MarkupText(std::move(run_)));
    run_.clear();
  }

  void Emit(MarkupToken token) {
    FlushRun();
    tokens_.push_back(std::move(token));
  }

  bool AtEnd() const { return pos_ >= text_.size(); }

  // Moves past the next ">"; false when the text ends first.
  bool SkipToTagEnd() {
    while (!AtEnd()) {
      if (text_[pos_] == '>') {
        ++pos_;
        return true;
      }
      pos_ += CharLength(text_, pos_);
    }
    return false;
  }

  // pos_ is just after the "<".
  void ReadTag() {
    bool closing = false;
    std::string name;
    bool first = true;
    while (!AtEnd()) {
      const char c = text_[pos_];
      if (c == ' ' || c == '=' || c == '>') break;
      const size_t n = CharLength(text_, pos_);
      if (c == '/' && n == 1) {
        if (first) closing = true;
      } else if (n == 1) {
        name += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
      } else {
        name.append(text_.substr(pos_, n));
      }
      first = false;
      pos_ += n;
    }

    const TagInfo* tag = FindTag(name);
    if (tag == nullptr || !tag->takesValue) {
      if (!SkipToTagEnd() || tag == nullptr) return;
      Emit(MarkupTag(tag->op, std::nullopt, closing));
      return;
    }

    MarkupToken token = MarkupTag(tag->op, std::nullopt, closing);
    while (!AtEnd() && text_[pos_] != '=' && text_[pos_] != '>') pos_ += CharLength(text_, pos_);
    if (!AtEnd() && text_[pos_] == '=') {
      ++pos_;
      const size_t start = pos_;
      while (!AtEnd() && text_[pos_] != ' ' && text_[pos_] != '>' && text_[pos_] != '%') {
        pos_ += CharLength(text_, pos_);
      }
      if (pos_ > start) token.value = ReadUnsigned(text_.substr(start, pos_ - start));
      token.percent = !AtEnd() && text_[pos_] == '%';
    }
    if (!SkipToTagEnd()) return;
    // A line break, a tab or a rule has nothing to switch off.
    const bool switchable =
        tag->op != MarkupOp::kLineBreak && tag->op != MarkupOp::kTab && tag->op != MarkupOp::kRule;
    if (closing && !switchable) return;
    Emit(std::move(token));
  }

  std::string_view text_;
  size_t pos_ = 0;
  std::string run_;
  std::vector<MarkupToken> tokens_;
};

}  // namespace

std::vector<MarkupToken> ParseMarkup(std::string_view text) { return Parser(text).Run(); }

void PrintTo(const MarkupToken& token, std::ostream* out) {
  *out << "{op " << static_cast<int>(token.op) << (token.closing ? " closing" : "");
  if (token.value) *out << " value " << *token.value << (token.percent ? "%" : "");
  if (!token.text.empty()) *out << " \"" << token.text << "\"";
  *out << "}";
}

std::string MarkupPlainText(const std::vector<MarkupToken>& tokens) {
  std::string text;
  for (const MarkupToken& token : tokens) {
    switch (token.op) {
      case MarkupOp::kText:
        text += token.text;
        break;
      case MarkupOp::kLineBreak:
      case MarkupOp::kRule:
        if (!text.empty() && text.back() != '\n') text += '\n';
        break;
      case MarkupOp::kTab:
        text += '\t';
        break;
      default:
        break;
    }
  }
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

}  // namespace postwink
