#include "core/config/password.h"

#include <array>
#include <cstdint>
#include <vector>

namespace postwink {
namespace {

constexpr std::string_view kPassAlphabet =
    "0123456789+ABCDEFGHIJKLMNOPQRSTUVWXYZ/abcdefghijklmnopqrstuvwxyz";
constexpr unsigned char kRaise = 0x60;
constexpr int kMaxRun = 8;      // longest run inside the bit string
constexpr int kMaxLastRun = 7;  // longest last run

// "パスワードに保存できない文字が含まれています。"
constexpr const char* kUnsupportedByteMessage = "パスワードに保存できない文字が含まれています。";
// "このパスワードは保存できる形に変換できません。"
constexpr const char* kRunTooLongMessage = "このパスワードは保存できる形に変換できません。";

char Rotate(char c, int by) {
  unsigned char u = static_cast<unsigned char>(c);
  if (u < 0x21 || u > 0x7E) return c;
  return static_cast<char>(0x21 + (u - 0x21 + by + 94) % 94);
}

// The run in progress at a byte boundary: its bit value and length (0 before the first bit).
struct RunState {
  int bit = 0;
  int length = 0;
};

// Feeds one byte's bits into the run; false when a run grows past kMaxRun.
bool Feed(RunState& s, unsigned char byte) {
  for (int i = 7; i >= 0; --i) {
    int bit = (byte >> i) & 1;
    if (s.length > 0 && bit == s.bit) {
      if (++s.length > kMaxRun) return false;
    } else {
      s.bit = bit;
      s.length = 1;
    }
  }
  return true;
}

int StateIndex(const RunState& s) { return s.bit * (kMaxRun + 1) + s.length; }
constexpr int kStates = 2 * (kMaxRun + 1);

bool MayRaise(unsigned char byte) {
  // A raised byte must come back with its top bit set, so that the reader lowers it again.
  return byte >= 0x20;
}

// completes[i][state]: bytes i.. can be chosen so that every run fits, starting from state.
std::vector<std::array<bool, kStates>> Completions(std::string_view bytes) {
  size_t n = bytes.size();
  std::vector<std::array<bool, kStates>> completes(n + 1);
  for (int st = 0; st < kStates; ++st) completes[n][st] = (st % (kMaxRun + 1)) <= kMaxLastRun;
  for (size_t i = n; i-- > 1;) {
    unsigned char b = static_cast<unsigned char>(bytes[i]);
    for (int bit = 0; bit < 2; ++bit) {
      for (int len = 1; len <= kMaxRun; ++len) {
        bool ok = false;
        for (int raise = 0; raise < 2 && !ok; ++raise) {
          if (raise && !MayRaise(b)) continue;
          RunState s{bit, len};
          ok = Feed(s, raise ? static_cast<unsigned char>(b + kRaise) : b) &&
               completes[i + 1][StateIndex(s)];
        }
        completes[i][bit * (kMaxRun + 1) + len] = ok;
      }
    }
  }
  return completes;
}

std::string Encode(std::string_view bytes) {
  std::vector<int> runs;
  RunState s;
  for (char c : bytes) {
    for (int i = 7; i >= 0; --i) {
      int bit = (static_cast<unsigned char>(c) >> i) & 1;
      if (!runs.empty() && bit == s.bit) {
        ++runs.back();
      } else {
        s.bit = bit;
        runs.push_back(1);
      }
    }
  }
  std::string out;
  size_t i = 0;
  for (; i + 2 < runs.size(); i += 2) out += kPassAlphabet[(runs[i] - 1) * 8 + (runs[i + 1] - 1)];
  if (i + 2 == runs.size()) {
    out += kPassAlphabet[(runs[i] - 1) * 8 + runs[i + 1]];
  } else if (i + 1 == runs.size()) {
    out += kPassAlphabet[runs[i] * 8];
  }
  for (char& c : out) c = Rotate(c, 16);
  return out;
}

ScrambleResult Refusal(ScrambleStatus status) {
  ScrambleResult result;
  result.status = status;
  result.error =
      status == ScrambleStatus::kUnsupportedByte ? kUnsupportedByteMessage : kRunTooLongMessage;
  return result;
}

bool HasUnsupportedByte(std::string_view password) {
  for (char c : password) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

bool FirstByteFits(std::string_view password,
                   const std::vector<std::array<bool, kStates>>& completes) {
  RunState state;
  return Feed(state, static_cast<unsigned char>(password[0])) && completes[1][StateIndex(state)];
}

}  // namespace

ScrambleResult CheckPasswordStorable(std::string_view password) {
  if (password.empty()) return {};
  if (HasUnsupportedByte(password)) return Refusal(ScrambleStatus::kUnsupportedByte);
  if (!FirstByteFits(password, Completions(password))) {
    return Refusal(ScrambleStatus::kRunTooLong);
  }
  return {};
}

ScrambleResult ScramblePassword(std::string_view password, const Clock& clock, Random& random) {
  ScrambleResult result;
  if (password.empty()) return result;
  if (HasUnsupportedByte(password)) return Refusal(ScrambleStatus::kUnsupportedByte);
  random.Seed(static_cast<uint32_t>(clock.UnixSeconds() * static_cast<signed char>(password[0])));

  std::vector<std::array<bool, kStates>> completes = Completions(password);
  std::string bytes(password);
  RunState state;
  bool ok = Feed(state, static_cast<unsigned char>(bytes[0])) && completes[1][StateIndex(state)];
  // The random choice is taken wherever it still leads to a storable text; otherwise the other.
  for (size_t i = 1; ok && i < bytes.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(bytes[i]);
    bool wantRaise = (random.Next() & 1) && MayRaise(b);
    bool chosen = false;
    for (bool raise : {wantRaise, !wantRaise}) {
      if (raise && !MayRaise(b)) continue;
      RunState next = state;
      unsigned char value = raise ? static_cast<unsigned char>(b + kRaise) : b;
      if (Feed(next, value) && completes[i + 1][StateIndex(next)]) {
        bytes[i] = static_cast<char>(value);
        state = next;
        chosen = true;
        break;
      }
    }
    ok = chosen;
  }
  if (!ok) return Refusal(ScrambleStatus::kRunTooLong);
  result.text = Encode(bytes);
  return result;
}

std::string UnscramblePassword(std::string_view stored) {
  std::string out;
  int bit = 0;
  unsigned int current = 0;
  int filled = 0;
  auto append = [&](int count, int value) {
    for (int i = 0; i < count; ++i) {
      current = (current << 1) | static_cast<unsigned int>(value);
      if (++filled == 8) {
        unsigned char byte = static_cast<unsigned char>(current);
        if (byte & 0x80) byte = static_cast<unsigned char>(byte - kRaise);
        out += static_cast<char>(byte);
        current = 0;
        filled = 0;
      }
    }
  };
  for (char c : stored) {
    size_t k = kPassAlphabet.find(Rotate(c, -16));
    if (k == std::string_view::npos) continue;
    append(static_cast<int>(k / 8) + 1, bit);
    bit ^= 1;
    append(static_cast<int>(k % 8) + 1, bit);
    bit ^= 1;
  }
  return out;
}

}  // namespace postwink
