#include "core/mime/iso2022.h"

namespace postwink {
namespace {

constexpr char kEsc = '\x1B';
constexpr char kShiftOut = '\x0E';
constexpr char kShiftIn = '\x0F';

bool IsJisByte(unsigned char c) { return c >= 0x21 && c <= 0x7E; }

// JIS X 0208 row/cell to the Shift_JIS byte pair.
void AppendShiftJis(std::string& out, unsigned char c1, unsigned char c2) {
  if (c1 % 2 == 1) {
    c2 = static_cast<unsigned char>(c2 + 0x1F + (c2 >= 0x60 ? 1 : 0));
  } else {
    c2 = static_cast<unsigned char>(c2 + 0x7E);
  }
  c1 = static_cast<unsigned char>(c1 < 0x5F ? (c1 + 0xE1) / 2 : (c1 + 0x161) / 2);
  out.push_back(static_cast<char>(c1));
  out.push_back(static_cast<char>(c2));
}

}  // namespace

std::string JisToShiftJis(std::string_view source) {
  std::string out;
  out.reserve(source.size());
  bool kanji = false;
  bool katakanaShift = false;
  const size_t n = source.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(source[i]);
    if (c == kEsc) {
      if (i + 1 >= n) break;
      const char next = source[i + 1];
      if (next == '$' || next == '(' || next == '*') {
        if (i + 2 >= n) break;
        const char third = source[i + 2];
        if (next == '$') {
          if (third == '@' || third == 'B') {
            kanji = true;
          } else {
            out.append(source.substr(i, 3));
          }
        } else if (next == '(') {
          kanji = false;
          if (third != 'B' && third != 'H' && third != 'J') out.append(source.substr(i, 3));
        } else if (third == 'B') {
          katakanaShift = false;
        } else if (third == 'I') {
          katakanaShift = true;
        }
        i += 3;
      } else if (next == 'N' && katakanaShift) {
        if (i + 2 >= n) break;
        out.push_back(static_cast<char>(static_cast<unsigned char>(source[i + 2]) + 0x80));
        i += 3;
      } else if (next == 'K') {
        kanji = true;
        i += 2;
      } else if (next == 'H') {
        kanji = false;
        i += 2;
      } else {
        out.append(source.substr(i, 2));
        i += 2;
      }
      continue;
    }
    if (c == kShiftOut) {
      ++i;
      while (i < n && source[i] != kShiftIn && source[i] != '\r' && source[i] != '\n' &&
             source[i] != kEsc) {
        out.push_back(static_cast<char>(static_cast<unsigned char>(source[i]) + 0x80));
        ++i;
      }
      if (i < n && source[i] == kShiftIn) ++i;
      continue;
    }
    if (kanji) {
      if (c == '\r' || c == '\n') {
        out.push_back(static_cast<char>(c));
        kanji = false;
        ++i;
        continue;
      }
      if (IsJisByte(c)) {
        if (i + 1 >= n) break;
        const unsigned char c2 = static_cast<unsigned char>(source[i + 1]);
        if (IsJisByte(c2)) {
          AppendShiftJis(out, c, c2);
        } else {
          out.append(source.substr(i, 2));
        }
        i += 2;
        continue;
      }
    }
    out.push_back(static_cast<char>(c));
    ++i;
  }
  return out;
}

std::string Iso2022KrToEucKr(std::string_view source) {
  std::string out;
  out.reserve(source.size());
  bool korean = false;
  const size_t n = source.size();
  for (size_t i = 0; i < n; ++i) {
    const char c = source[i];
    if (c == kEsc && source.substr(i, 4) == "\x1B$)C") {
      i += 3;
    } else if (c == kShiftOut) {
      korean = true;
    } else if (c == kShiftIn) {
      korean = false;
    } else if (korean && c != ' ' && c != '\t') {
      out.push_back(static_cast<char>(static_cast<unsigned char>(c) | 0x80));
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace postwink
