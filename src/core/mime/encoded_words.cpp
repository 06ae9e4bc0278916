#include "core/mime/encoded_words.h"

#include "core/mime/transfer_encoding.h"
#include "core/text/case.h"
#include "core/text/utf8.h"

namespace postwink {
namespace {

bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Appends a decoded word without its CR and LF (never part of a UTF-8 character).
void AppendWord(std::string& out, std::string_view word) {
  for (char c : word) {
    if (c != '\r' && c != '\n') out.push_back(c);
  }
}

// Text between the encoded words: ASCII as it came, anything with 8-bit bytes or an escape as
// unlabelled text (UTF-8 when valid, else ISO-2022-JP and Shift_JIS).
class RawText {
 public:
  explicit RawText(const CharsetContext& context) : context_(context) {}

  void Add(char c) {
    if (static_cast<unsigned char>(c) >= 0x80 || c == '\x1B') legacy_ = true;
    bytes_.push_back(c);
  }

  void Flush(std::string& out) {
    if (bytes_.empty()) return;
    if (!legacy_) {
      out += bytes_;
    } else {
      out += DecodeUnlabelledText(bytes_, context_);
    }
    bytes_.clear();
    legacy_ = false;
  }

 private:
  bool legacy_ = false;
  const CharsetContext& context_;
  std::string bytes_;
};

// The charset of an encoded word without an RFC 2231 language ("UTF-8*ja").
std::string_view CharsetOnly(std::string_view charset) {
  return charset.substr(0, charset.find('*'));
}

// A run of adjacent encoded words in one charset: their decoded bytes, converted together once
// the run ends, and the white space that followed the last of them, which is kept only when no
// further word follows.
class WordRun {
 public:
  explicit WordRun(const CharsetContext& context) : context_(context) {}

  bool Open() const { return open_; }

  // A further word: the white space before it disappears, whatever its charset.
  void Add(std::string_view charset, std::string_view decoded, std::string& out) {
    gap_.clear();
    if (open_ && !EqualsNoCase(CharsetOnly(charset), CharsetOnly(charset_))) Close(out);
    if (!open_) {
      open_ = true;
      charset_ = charset;
    }
    bytes_.append(decoded);
  }

  void AddGap(char c) { gap_.push_back(c); }

  // Ends the run: appends its text, then the white space after it.
  void Close(std::string& out) {
    if (!open_) return;
    if (std::optional<std::string> converted = ConvertCharset(bytes_, charset_, context_)) {
      AppendWord(out, *converted);
    } else {
      AppendWord(out, DecodeUnlabelledText(bytes_, context_));
    }
    out.append(gap_);
    open_ = false;
    bytes_.clear();
    gap_.clear();
  }

 private:
  const CharsetContext& context_;
  bool open_ = false;
  std::string_view charset_;
  std::string bytes_;
  std::string gap_;
};

}  // namespace

std::string DecodeEncodedWords(std::string_view value, const CharsetContext& context) {
  const std::string_view source = value;
  std::string out;
  out.reserve(source.size());
  WordRun run(context);
  RawText raw(context);
  // The first "?=" at or after the search start. Searches start further on each time, so one
  // remembered position keeps a value full of unclosed words linear.
  size_t nextClose = 0;
  bool closeKnown = false;
  const size_t n = source.size();
  size_t i = 0;
  while (i < n) {
    if (source[i] == '=' && i + 1 < n && source[i + 1] == '?') {
      const size_t charsetStart = i + 2;
      const size_t charsetEnd = source.find('?', charsetStart);
      size_t encodingEnd = std::string_view::npos;
      size_t close = std::string_view::npos;
      if (charsetEnd != std::string_view::npos) {
        encodingEnd = source.find('?', charsetEnd + 1);
      }
      if (encodingEnd != std::string_view::npos) {
        const size_t textStart = encodingEnd + 1;
        if (!closeKnown || (nextClose != std::string_view::npos && nextClose < textStart)) {
          nextClose = source.find("?=", textStart);
          closeKnown = true;
        }
        close = nextClose;
      }
      if (close != std::string_view::npos) {
        const std::string_view encoding =
            source.substr(charsetEnd + 1, encodingEnd - charsetEnd - 1);
        const std::string_view text = source.substr(encodingEnd + 1, close - encodingEnd - 1);
        std::string decoded;
        if (encoding == "B" || encoding == "b") {
          decoded = Base64Decode(text);
        } else if (encoding == "Q" || encoding == "q") {
          decoded = QuotedPrintableDecode(text, QuotedPrintableForm::kEncodedWord);
        } else {
          decoded = std::string(text);
        }
        const std::string_view charset = source.substr(charsetStart, charsetEnd - charsetStart);
        raw.Flush(out);
        run.Add(charset, decoded, out);
        i = close + 2;
        continue;
      }
    }
    const char c = source[i];
    if (run.Open()) {
      if (IsWhite(c)) {
        run.AddGap(c);
        ++i;
        continue;
      }
      run.Close(out);
    }
    raw.Add(c);
    ++i;
  }
  run.Close(out);
  raw.Flush(out);
  return out;
}

}  // namespace postwink
