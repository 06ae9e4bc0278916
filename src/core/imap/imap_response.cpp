#include "core/imap/imap_response.h"

#include <algorithm>
#include <utility>

namespace postwink {

namespace {

bool EqualsUpper(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upper[i]) return false;
  }
  return true;
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

bool IsDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<uint64_t> ParseNumber(std::string_view digits) {
  if (!IsDigits(digits)) return std::nullopt;
  uint64_t value = 0;
  for (char c : digits) {
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

// The size of a literal announced at the very end of the text ("{n}" or "~{n}"), if any.
std::optional<uint64_t> AnnouncedLiteral(std::string_view text) {
  if (text.empty() || text.back() != '}') return std::nullopt;
  const size_t open = text.rfind('{');
  if (open == std::string_view::npos) return std::nullopt;
  return ParseNumber(text.substr(open + 1, text.size() - open - 2));
}

class Parser {
 public:
  Parser(std::string_view text, std::vector<ImapValue> literals, size_t maxDepth)
      : text_(text), literals_(std::move(literals)), maxDepth_(maxDepth) {}

  ImapParseResult Run() {
    ImapResponse response;
    if (text_.starts_with('+')) {
      response.kind = ImapResponse::Kind::kContinuation;
      pos_ = 1;
      SkipSpaces();
      ReadText(response);
      return Done(std::move(response));
    }
    if (text_.starts_with('*')) {
      pos_ = 1;
      if (!Space()) return Error("no space after *");
      std::string_view word = Word();
      if (IsDigits(word)) {
        const std::optional<uint64_t> number = ParseNumber(word);
        if (!number || *number > UINT32_MAX) return Error("message number out of range");
        response.number = static_cast<uint32_t>(*number);
        if (!Space()) return Error("no keyword after the number");
        word = Word();
      }
      if (word.empty()) return Error("no keyword");
      response.name = Upper(word);
      response.status = StatusOf(response.name);
      if (response.status != ImapStatus::kNone && !response.number) {
        SkipSpaces();
        ReadText(response);
        return Done(std::move(response));
      }
      if (!ReadValues(response.values)) return Error(error_);
      return Done(std::move(response));
    }
    response.kind = ImapResponse::Kind::kTagged;
    response.tag = std::string(Word());
    if (response.tag.empty()) return Error("no tag");
    if (!Space()) return Error("no status after the tag");
    response.status = StatusOf(Upper(Word()));
    if (response.status != ImapStatus::kOk && response.status != ImapStatus::kNo &&
        response.status != ImapStatus::kBad) {
      return Error("tagged response without OK, NO or BAD");
    }
    SkipSpaces();
    ReadText(response);
    return Done(std::move(response));
  }

 private:
  static ImapStatus StatusOf(std::string_view upper) {
    if (upper == "OK") return ImapStatus::kOk;
    if (upper == "NO") return ImapStatus::kNo;
    if (upper == "BAD") return ImapStatus::kBad;
    if (upper == "BYE") return ImapStatus::kBye;
    if (upper == "PREAUTH") return ImapStatus::kPreauth;
    return ImapStatus::kNone;
  }

  ImapParseResult Done(ImapResponse response) {
    ImapParseResult result;
    result.response = std::move(response);
    return result;
  }
  ImapParseResult Error(std::string error) {
    ImapParseResult result;
    result.error = std::move(error);
    return result;
  }

  bool AtEnd() const { return pos_ >= text_.size(); }
  bool Space() {
    if (AtEnd() || text_[pos_] != ' ') return false;
    SkipSpaces();
    return true;
  }
  void SkipSpaces() {
    while (!AtEnd() && text_[pos_] == ' ') ++pos_;
  }
  // Up to the next space.
  std::string_view Word() {
    const size_t start = pos_;
    while (!AtEnd() && text_[pos_] != ' ') ++pos_;
    return text_.substr(start, pos_ - start);
  }

  // "[CODE args] text" or just text; literals inside human text are not read as values.
  void ReadText(ImapResponse& response) {
    std::string_view rest = text_.substr(pos_);
    if (rest.starts_with('[')) {
      const size_t close = rest.find(']');
      if (close != std::string_view::npos) {
        std::string_view inside = rest.substr(1, close - 1);
        const size_t space = inside.find(' ');
        response.code = Upper(inside.substr(0, space));
        if (space != std::string_view::npos)
          response.codeArgs = std::string(inside.substr(space + 1));
        rest.remove_prefix(close + 1);
        while (rest.starts_with(' ')) rest.remove_prefix(1);
      }
    }
    response.text = std::string(rest);
    pos_ = text_.size();
  }

  bool ReadValues(std::vector<ImapValue>& values) {
    while (true) {
      SkipSpaces();
      if (AtEnd()) return true;
      ImapValue value;
      if (!ReadValue(value, 0)) return false;
      values.push_back(std::move(value));
    }
  }

  bool Fail(std::string error) {
    error_ = std::move(error);
    return false;
  }

  bool ReadValue(ImapValue& value, size_t depth) {
    const char c = text_[pos_];
    if (c == '(') return ReadList(value, depth + 1);
    if (c == '"') return ReadQuoted(value);
    if (c == '{' || (c == '~' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '{')) {
      return ReadLiteral(value);
    }
    if (c == ')') return Fail("unexpected )");
    return ReadAtom(value);
  }

  bool ReadList(ImapValue& value, size_t depth) {
    if (depth > maxDepth_) return Fail("lists nested too deep");
    value.kind = ImapValue::Kind::kList;
    ++pos_;
    while (true) {
      SkipSpaces();
      if (AtEnd()) return Fail("unterminated list");
      if (text_[pos_] == ')') {
        ++pos_;
        return true;
      }
      ImapValue item;
      if (!ReadValue(item, depth)) return false;
      value.items.push_back(std::move(item));
    }
  }

  bool ReadQuoted(ImapValue& value) {
    value.kind = ImapValue::Kind::kString;
    ++pos_;
    while (!AtEnd()) {
      char c = text_[pos_++];
      if (c == '"') return true;
      if (c == '\\') {
        if (AtEnd()) break;
        c = text_[pos_++];
        if (c != '\\' && c != '"') return Fail("bad escape in a quoted string");
      }
      value.text.push_back(c);
    }
    return Fail("unterminated quoted string");
  }

  bool ReadLiteral(ImapValue& value) {
    if (text_[pos_] == '~') ++pos_;
    const size_t close = text_.find('}', pos_);
    if (close == std::string_view::npos || !ParseNumber(text_.substr(pos_ + 1, close - pos_ - 1))) {
      return Fail("bad literal");
    }
    // The reader removed the literal's bytes, so its marker ends the text or a line of it.
    if (nextLiteral_ >= literals_.size()) return Fail("literal without its bytes");
    value = std::move(literals_[nextLiteral_++]);
    pos_ = close + 1;
    return true;
  }

  bool ReadAtom(ImapValue& value) {
    const size_t start = pos_;
    int brackets = 0;
    while (!AtEnd()) {
      const char c = text_[pos_];
      if (c == '[') ++brackets;
      if (c == ']' && brackets > 0) --brackets;
      // Inside brackets ("BODY[HEADER.FIELDS (FROM)]") spaces and parentheses belong to the atom.
      if (brackets == 0 && (c == ' ' || c == '(' || c == ')')) break;
      if (c == '"' || c == '{') {
        if (brackets == 0) break;
      }
      ++pos_;
    }
    if (brackets > 0) return Fail("unterminated [");
    const std::string_view atom = text_.substr(start, pos_ - start);
    if (atom.empty()) return Fail("unexpected character");
    if (EqualsUpper(atom, "NIL")) {
      value.kind = ImapValue::Kind::kNil;
      return true;
    }
    value.text = std::string(atom);
    if (IsDigits(atom)) {
      const std::optional<uint64_t> number = ParseNumber(atom);
      if (!number) return Fail("number out of range");
      value.kind = ImapValue::Kind::kNumber;
      value.number = *number;
    } else {
      value.kind = ImapValue::Kind::kAtom;
    }
    return true;
  }

  std::string_view text_;
  std::vector<ImapValue> literals_;
  size_t maxDepth_;
  size_t pos_ = 0;
  size_t nextLiteral_ = 0;
  std::string error_;
};

}  // namespace

bool ImapValue::IsAtom(std::string_view upper) const {
  return kind == Kind::kAtom && EqualsUpper(text, upper);
}

std::optional<std::string_view> ImapValue::Text() const {
  if (kind == Kind::kNil || kind == Kind::kList) return std::nullopt;
  return text;
}

ImapParseResult ParseImapResponse(std::string_view text, std::vector<ImapValue> literals,
                                  size_t maxDepth) {
  if (text.empty()) return {std::nullopt, "empty response"};
  return Parser(text, std::move(literals), maxDepth).Run();
}

void ImapResponseReader::Reset() {
  std::string().swap(text_);
  literals_.clear();
  literalLeft_ = 0;
  inLiteral_ = false;
}

size_t ImapResponseReader::HeldBytes() const {
  size_t held = text_.size();
  for (const ImapValue& literal : literals_) held += literal.text.size();
  return held;
}

ImapResponseReader::Result ImapResponseReader::Fail(std::string error) {
  Reset();
  Result result;
  result.status = Status::kError;
  result.error = std::move(error);
  return result;
}

std::string_view ImapResponseReader::TakeLiteral(std::string_view bytes) {
  const size_t take = static_cast<size_t>(std::min<uint64_t>(literalLeft_, bytes.size()));
  ImapValue& literal = literals_.back();
  const size_t room =
      limits_.maxLiteralKept - std::min(limits_.maxLiteralKept, literal.text.size());
  literal.text.append(bytes.substr(0, std::min(take, room)));
  literalLeft_ -= take;
  return bytes.substr(take);
}

void ImapResponseReader::StartLiteral(uint64_t size) {
  ImapValue literal;
  literal.kind = ImapValue::Kind::kString;
  literal.literalSize = static_cast<size_t>(std::min<uint64_t>(size, SIZE_MAX));
  literal.truncated = size > limits_.maxLiteralKept;
  literal.text.reserve(static_cast<size_t>(
      std::min<uint64_t>(size, std::min<size_t>(limits_.maxLiteralKept, 64u << 10))));
  literals_.push_back(std::move(literal));
  literalLeft_ = size;
  inLiteral_ = true;
}

ImapResponseReader::Result ImapResponseReader::Feed(std::string_view line) {
  if (inLiteral_) {
    // The splitter cut the CR LF that belongs to the literal's bytes.
    if (literalLeft_ >= line.size() + 2) {
      TakeLiteral(line);
      TakeLiteral("\r\n");
      return {};
    }
    if (literalLeft_ == line.size() + 1) {
      return Fail("a literal ends between CR and LF");
    }
    line = TakeLiteral(line);
    inLiteral_ = false;
  }
  if (text_.size() + line.size() > limits_.maxResponseText) {
    return Fail("response too long");
  }
  text_.append(line);
  const std::optional<uint64_t> announced = AnnouncedLiteral(text_);
  if (announced) {
    if (*announced > limits_.maxLiteralSize) return Fail("literal too long");
    if (literals_.size() >= limits_.maxLiterals) return Fail("too many literals");
    StartLiteral(*announced);
    // Nothing may follow on the same line: the literal's bytes start after its CR LF.
    return {};
  }
  return Finish();
}

ImapResponseReader::Result ImapResponseReader::Finish() {
  ImapParseResult parsed = ParseImapResponse(text_, std::move(literals_), limits_.maxDepth);
  Reset();
  if (!parsed.response) return Fail(std::move(parsed.error));
  Result result;
  result.status = Status::kResponse;
  result.response = std::move(*parsed.response);
  return result;
}

}  // namespace postwink
