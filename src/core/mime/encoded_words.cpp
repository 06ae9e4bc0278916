#include "core/mime/encoded_words.h"

#include "core/mime/iso2022.h"
#include "core/mime/transfer_encoding.h"
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

}  // namespace

std::string DecodeEncodedWords(std::string_view source, const CharsetContext& context) {
  std::string out;
  out.reserve(source.size());
  bool afterEncodedWord = false;
  bool rawJisSeen = false;
  size_t wordEnd = 0;  // output length just after the last decoded word
  // The first "?=" at or after the search start. Searches start further on each time, so one
  // remembered position keeps a value full of unclosed words linear.
  size_t nextClose = 0;
  bool closeKnown = false;
  const size_t n = source.size();
  size_t i = 0;
  while (i < n) {
    if (source[i] == '=' && i + 1 < n && source[i + 1] == '?') {
      if (afterEncodedWord) out.resize(wordEnd);
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
      if (close == std::string_view::npos) {
        out.push_back('=');
        ++i;
        continue;
      }
      const std::string_view encoding = source.substr(charsetEnd + 1, encodingEnd - charsetEnd - 1);
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
      if (std::optional<std::string> converted = ConvertCharset(decoded, charset, context)) {
        decoded = std::move(*converted);
      }
      AppendWord(out, decoded);
      afterEncodedWord = true;
      wordEnd = out.size();
      i = close + 2;
      continue;
    }
    const char c = source[i];
    if (!rawJisSeen && c == '\x1B' && i + 2 < n && source[i + 1] == '$' &&
        (source[i + 2] == '@' || source[i + 2] == 'B')) {
      rawJisSeen = true;
    }
    if (afterEncodedWord && !IsWhite(c)) afterEncodedWord = false;
    out.push_back(c);
    ++i;
  }
  if (rawJisSeen) return JisToShiftJis(out);
  return out;
}

}  // namespace postwink
