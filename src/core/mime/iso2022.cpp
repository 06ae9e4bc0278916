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

void ReadIso2022Jp(std::string_view source,
                   const std::function<void(JisRun, std::string_view)>& emit) {
  enum class Mode { kAscii, kJisX0208, kJisX0212, kKatakana };
  std::string run;
  JisRun runKind = JisRun::kShiftJis;
  auto put = [&](JisRun kind, std::string_view bytes) {
    if (kind != runKind && !run.empty()) {
      emit(runKind, run);
      run.clear();
    }
    runKind = kind;
    run.append(bytes);
  };
  auto putByte = [&](JisRun kind, unsigned char c) {
    const char b = static_cast<char>(c);
    put(kind, std::string_view(&b, 1));
  };
  Mode mode = Mode::kAscii;
  bool katakanaShift = false;
  const size_t n = source.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(source[i]);
    if (c == kEsc) {
      if (i + 1 >= n) break;
      const char next = source[i + 1];
      if (next == '$' && i + 3 < n && source[i + 2] == '(' &&
          (source[i + 3] == 'D' || source[i + 3] == 'B' || source[i + 3] == '@')) {
        mode = source[i + 3] == 'D' ? Mode::kJisX0212 : Mode::kJisX0208;
        i += 4;
      } else if (next == '$' || next == '(' || next == '*') {
        if (i + 2 >= n) break;
        const char third = source[i + 2];
        if (next == '$') {
          if (third == '@' || third == 'B') {
            mode = Mode::kJisX0208;
          } else {
            put(JisRun::kShiftJis, source.substr(i, 3));
          }
        } else if (next == '(') {
          mode = third == 'I' ? Mode::kKatakana : Mode::kAscii;
          if (third != 'B' && third != 'H' && third != 'J' && third != 'I') {
            put(JisRun::kShiftJis, source.substr(i, 3));
          }
        } else if (third == 'B') {
          katakanaShift = false;
        } else if (third == 'I') {
          katakanaShift = true;
        }
        i += 3;
      } else if (next == 'N' && katakanaShift) {
        if (i + 2 >= n) break;
        putByte(JisRun::kShiftJis, static_cast<unsigned char>(source[i + 2]) + 0x80);
        i += 3;
      } else if (next == 'K') {
        mode = Mode::kJisX0208;
        i += 2;
      } else if (next == 'H') {
        mode = Mode::kAscii;
        i += 2;
      } else {
        put(JisRun::kShiftJis, source.substr(i, 2));
        i += 2;
      }
      continue;
    }
    if (c == kShiftOut) {
      ++i;
      while (i < n && source[i] != kShiftIn && source[i] != '\r' && source[i] != '\n' &&
             source[i] != kEsc) {
        putByte(JisRun::kShiftJis, static_cast<unsigned char>(source[i]) + 0x80);
        ++i;
      }
      if (i < n && source[i] == kShiftIn) ++i;
      continue;
    }
    if (mode != Mode::kAscii && (c == '\r' || c == '\n')) {
      putByte(JisRun::kShiftJis, c);
      mode = Mode::kAscii;
      ++i;
      continue;
    }
    if (mode == Mode::kKatakana && c >= 0x21 && c <= 0x5F) {
      putByte(JisRun::kShiftJis, c + 0x80);
      ++i;
      continue;
    }
    if ((mode == Mode::kJisX0208 || mode == Mode::kJisX0212) && IsJisByte(c)) {
      if (i + 1 >= n) break;
      const unsigned char c2 = static_cast<unsigned char>(source[i + 1]);
      if (!IsJisByte(c2)) {
        put(JisRun::kShiftJis, source.substr(i, 2));
      } else if (mode == Mode::kJisX0208) {
        std::string pair;
        AppendShiftJis(pair, c, c2);
        put(JisRun::kShiftJis, pair);
      } else {
        const char euc[3] = {'\x8F', static_cast<char>(c | 0x80), static_cast<char>(c2 | 0x80)};
        put(JisRun::kEucJp, std::string_view(euc, 3));
      }
      i += 2;
      continue;
    }
    putByte(JisRun::kShiftJis, c);
    ++i;
  }
  if (!run.empty()) emit(runKind, run);
}

std::string JisToShiftJis(std::string_view source) {
  std::string out;
  out.reserve(source.size());
  ReadIso2022Jp(source, [&out](JisRun kind, std::string_view bytes) {
    if (kind == JisRun::kShiftJis) {
      out.append(bytes);
    } else {
      out.append(bytes.size() / 3, '?');
    }
  });
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
