#include "core/mime/encoded_words.h"

#include "core/mime/iso2022.h"
#include "core/mime/transfer_encoding.h"
#include "core/mime/unicode_text.h"
#include "core/text/case.h"
#include "core/text/cp932.h"

namespace postwink {
namespace {

bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Appends a decoded word without its CR and LF, moving over double-byte characters whole so a
// trail byte is never dropped or taken for a line break.
void AppendWord(std::string& out, std::string_view word) {
  size_t i = 0;
  while (i < word.size()) {
    const size_t len = CharLength(word, i);
    if (len == 2) {
      out.append(word.substr(i, 2));
    } else if (word[i] != '\r' && word[i] != '\n') {
      out.push_back(word[i]);
    }
    i += len;
  }
}

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
  // Encoded words are ASCII, so a raw UTF-8 value can be converted before they are decoded.
  std::string converted;
  std::string_view source = value;
  if (IsUtf8WithMultiByte(value)) {
    converted = NarrowToCp932(Utf8ToUtf16(value), context.codePage);
    source = converted;
  }
  std::string out;
  out.reserve(source.size());
  WordRun run(context);
  bool rawJisSeen = false;
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
    if (!rawJisSeen && c == '\x1B' && i + 2 < n && source[i + 1] == '$' &&
        (source[i + 2] == '@' || source[i + 2] == 'B')) {
      rawJisSeen = true;
    }
    out.push_back(c);
    ++i;
  }
  run.Close(out);
  if (rawJisSeen) return JisToShiftJis(out);
  return out;
}

}  // namespace postwink
