#include "core/mime/transfer_encoding.h"

#include <array>
#include <cstdint>

namespace postwink {
namespace {

constexpr std::array<uint8_t, 256> MakeBase64Table() {
  std::array<uint8_t, 256> table{};
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

char HexPair(char high, char low) {
  return static_cast<char>((16 * HexDigitValue(high) + HexDigitValue(low)) & 0xFF);
}

}  // namespace

std::string Base64Decode(std::string_view source) {
  std::string out;
  out.reserve(source.size() / 4 * 3 + 3);
  uint32_t group = 0;
  int count = 0;
  for (char c : source) {
    if (c == '=') break;
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    group = (group << 6) | kBase64Values[static_cast<unsigned char>(c)];
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
    char c = source[i];
    if (c == '=') {
      if (i + 1 < n && source[i + 1] == '\n') {
        i += 1;
        continue;
      }
      if (i + 2 >= n) break;
      if (source[i + 1] == '\r' && source[i + 2] == '\n') {
        i += 2;
        continue;
      }
      out.push_back(HexPair(source[i + 1], source[i + 2]));
      i += 2;
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
    if (source[i] != '%') {
      out.push_back(source[i]);
      continue;
    }
    if (i + 2 >= n) break;
    out.push_back(HexPair(source[i + 1], source[i + 2]));
    i += 2;
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

}  // namespace postwink
