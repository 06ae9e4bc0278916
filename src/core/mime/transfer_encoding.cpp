#include "core/mime/transfer_encoding.h"

#include <array>
#include <cstdint>
#include <optional>

namespace postwink {
namespace {

constexpr uint8_t kNotBase64 = 0xFF;

constexpr std::array<uint8_t, 256> MakeBase64Table() {
  std::array<uint8_t, 256> table{};
  table.fill(kNotBase64);
  for (int i = 0; i < 26; ++i) {
    table['A' + i] = static_cast<uint8_t>(i);
    table['a' + i] = static_cast<uint8_t>(26 + i);
  }
  for (int i = 0; i < 10; ++i) table['0' + i] = static_cast<uint8_t>(52 + i);
  table['+'] = 62;
  table['/'] = 63;
  return table;
}

constexpr std::array<uint8_t, 256> kBase64Values = MakeBase64Table();

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// The byte of an escape such as "=3D" or "%3D" whose two digits start at pos; none when the two
// bytes there are not hex digits (the escape character then stands for itself).
std::optional<char> EscapedByte(std::string_view source, size_t pos) {
  if (pos + 1 >= source.size() || !IsHexDigit(source[pos]) || !IsHexDigit(source[pos + 1])) {
    return std::nullopt;
  }
  return static_cast<char>(16 * HexDigitValue(source[pos]) + HexDigitValue(source[pos + 1]));
}

}  // namespace

std::string Base64Decode(std::string_view source) {
  std::string out;
  out.reserve(source.size() / 4 * 3 + 3);
  uint32_t group = 0;
  int count = 0;
  for (char c : source) {
    if (c == '=') break;
    const uint8_t value = kBase64Values[static_cast<unsigned char>(c)];
    if (value == kNotBase64) continue;  // line breaks, and what RFC 2045 says to ignore
    group = (group << 6) | value;
    if (++count == 4) {
      out.push_back(static_cast<char>(group >> 16));
      out.push_back(static_cast<char>((group >> 8) & 0xFF));
      out.push_back(static_cast<char>(group & 0xFF));
      group = 0;
      count = 0;
    }
  }
  if (count == 2) {
    out.push_back(static_cast<char>(group >> 4));
  } else if (count == 3) {
    out.push_back(static_cast<char>(group >> 10));
    out.push_back(static_cast<char>((group >> 2) & 0xFF));
  }
  return out;
}

std::string QuotedPrintableDecode(std::string_view source, QuotedPrintableForm form) {
  std::string out;
  out.reserve(source.size());
  const size_t n = source.size();
  for (size_t i = 0; i < n; ++i) {
    const char c = source[i];
    if (c == '=') {
      // A soft line break; encoders and transports may leave blanks between "=" and the break.
      size_t j = i + 1;
      while (j < n && (source[j] == ' ' || source[j] == '\t')) ++j;
      if (j >= n) break;
      if (source[j] == '\n') {
        i = j;
        continue;
      }
      if (source[j] == '\r' && j + 1 < n && source[j + 1] == '\n') {
        i = j + 1;
        continue;
      }
      if (std::optional<char> byte = EscapedByte(source, i + 1)) {
        out.push_back(*byte);
        i += 2;
      } else {
        out.push_back(c);  // "=" without two hex digits is kept as it stands
      }
    } else if (c == '_' && form == QuotedPrintableForm::kEncodedWord) {
      out.push_back(' ');
    } else {
      out.push_back(c);
    }
  }
  return out;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  return 0;
}

std::string PercentDecode(std::string_view source) {
  std::string out;
  out.reserve(source.size());
  const size_t n = source.size();
  for (size_t i = 0; i < n; ++i) {
    std::optional<char> byte;
    if (source[i] == '%') byte = EscapedByte(source, i + 1);
    if (byte) {
      out.push_back(*byte);
      i += 2;
    } else {
      out.push_back(source[i]);
    }
  }
  return out;
}

std::string RemoveDotStuffing(std::string_view source) {
  std::string out;
  out.reserve(source.size());
  bool lineStart = true;
  for (char c : source) {
    if (!(lineStart && c == '.')) out.push_back(c);
    lineStart = c == '\n';
  }
  return out;
}

std::string AddDotStuffing(std::string_view source) {
  std::string out;
  out.reserve(source.size() + 16);
  bool lineStart = true;
  for (char c : source) {
    if (lineStart && c == '.') out.push_back('.');
    out.push_back(c);
    lineStart = c == '\n';
  }
  return out;
}

std::string WithCrLfLineEnds(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

}  // namespace postwink
