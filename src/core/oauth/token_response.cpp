#include "core/oauth/token_response.h"

#include <cstddef>

#include "core/oauth/oauth_platform.h"
#include "core/text/utf8.h"

namespace postwink {
namespace {

constexpr int kMaxDepth = 16;

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  void Blanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                   text_[pos_] == '\r' || text_[pos_] == '\n')) {
      ++pos_;
    }
  }
  bool Take(char c) {
    Blanks();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  char Peek() {
    Blanks();
    return pos_ < text_.size() ? text_[pos_] : '\0';
  }
  bool AtEnd() {
    Blanks();
    return pos_ == text_.size();
  }

  std::optional<std::string> String() {
    if (!Take('"')) return std::nullopt;
    std::string out;
    while (pos_ < text_.size()) {
      char c = text_[pos_++];
      if (c == '"') return out;
      if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
      if (c != '\\') {
        out.push_back(c);
        continue;
      }
      if (pos_ >= text_.size()) return std::nullopt;
      char e = text_[pos_++];
      switch (e) {
        case '"':
        case '\\':
        case '/':
          out.push_back(e);
          break;
        case 'b':
          out.push_back('\b');
          break;
        case 'f':
          out.push_back('\f');
          break;
        case 'n':
          out.push_back('\n');
          break;
        case 'r':
          out.push_back('\r');
          break;
        case 't':
          out.push_back('\t');
          break;
        case 'u': {
          std::optional<uint32_t> unit = Hex4();
          if (!unit) return std::nullopt;
          uint32_t cp = *unit;
          if (cp >= 0xD800 && cp < 0xDC00 && text_.substr(pos_, 2) == "\\u") {
            pos_ += 2;
            std::optional<uint32_t> low = Hex4();
            if (!low) return std::nullopt;
            if (*low >= 0xDC00 && *low < 0xE000) {
              cp = 0x10000 + ((cp - 0xD800) << 10) + (*low - 0xDC00);
            } else {
              cp = 0xFFFD;
            }
          } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;
          }
          AppendUtf8(out, static_cast<char32_t>(cp));
          break;
        }
        default:
          return std::nullopt;
      }
    }
    return std::nullopt;
  }

  // A number as its text; the caller takes what it needs.
  std::optional<std::string> Number() {
    Blanks();
    size_t start = pos_;
    while (pos_ < text_.size() &&
           (std::string_view("+-.eE").find(text_[pos_]) != std::string_view::npos ||
            (text_[pos_] >= '0' && text_[pos_] <= '9'))) {
      ++pos_;
    }
    if (pos_ == start) return std::nullopt;
    return std::string(text_.substr(start, pos_ - start));
  }

  bool Word(std::string_view word) {
    Blanks();
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  // Any value, dropped.
  bool Skip(int depth) {
    if (depth > kMaxDepth) return false;
    switch (Peek()) {
      case '"':
        return String().has_value();
      case '{':
        ++pos_;
        if (Take('}')) return true;
        do {
          if (!String() || !Take(':') || !Skip(depth + 1)) return false;
        } while (Take(','));
        return Take('}');
      case '[':
        ++pos_;
        if (Take(']')) return true;
        do {
          if (!Skip(depth + 1)) return false;
        } while (Take(','));
        return Take(']');
      case 't':
        return Word("true");
      case 'f':
        return Word("false");
      case 'n':
        return Word("null");
      default:
        return Number().has_value();
    }
  }

 private:
  std::optional<uint32_t> Hex4() {
    if (pos_ + 4 > text_.size()) return std::nullopt;
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      char c = text_[pos_++];
      int d = (c >= '0' && c <= '9')   ? c - '0'
              : (c >= 'a' && c <= 'f') ? c - 'a' + 10
              : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                       : -1;
      if (d < 0) return std::nullopt;
      v = v * 16 + static_cast<uint32_t>(d);
    }
    return v;
  }
  std::string_view text_;
  size_t pos_ = 0;
};

// Whole seconds from a JSON number or a string of digits; none for anything else or a value
// beyond a year's worth of seconds many times over.
std::optional<int64_t> Seconds(const std::string& text) {
  if (text.empty() || text.size() > 12) return std::nullopt;
  int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  return v;
}

}  // namespace

std::optional<TokenResponse> ParseTokenResponse(std::string_view json) {
  if (json.size() > kMaxTokenResponseBytes) return std::nullopt;
  Reader r(json);
  if (!r.Take('{')) return std::nullopt;
  TokenResponse out;
  if (!r.Take('}')) {
    do {
      std::optional<std::string> name = r.String();
      if (!name || !r.Take(':')) return std::nullopt;
      std::string* text = nullptr;
      std::optional<int64_t>* number = nullptr;
      if (*name == "access_token") text = &out.accessToken;
      if (*name == "refresh_token") text = &out.refreshToken;
      if (*name == "error") text = &out.error;
      if (*name == "error_description") text = &out.errorDescription;
      if (*name == "device_code") text = &out.deviceCode;
      if (*name == "user_code") text = &out.userCode;
      if (*name == "verification_uri" || *name == "verification_url") text = &out.verificationUri;
      if (*name == "status") text = &out.status;
      if (*name == "expires_in") number = &out.expiresIn;
      if (*name == "interval") number = &out.interval;
      char next = r.Peek();
      if (text && next == '"') {
        std::optional<std::string> s = r.String();
        if (!s) return std::nullopt;
        *text = std::move(*s);
      } else if (number && next == '"') {
        std::optional<std::string> s = r.String();
        if (!s) return std::nullopt;
        *number = Seconds(*s);
      } else if (number && ((next >= '0' && next <= '9') || next == '-')) {
        std::optional<std::string> s = r.Number();
        if (!s) return std::nullopt;
        *number = Seconds(*s);
      } else if (!r.Skip(1)) {
        return std::nullopt;
      }
    } while (r.Take(','));
    if (!r.Take('}')) return std::nullopt;
  }
  if (!r.AtEnd()) return std::nullopt;
  return out;
}

}  // namespace postwink
