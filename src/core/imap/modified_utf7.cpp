#include "core/imap/modified_utf7.h"

#include <cstdint>
#include <vector>

namespace postwink {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+,";

bool IsDirect(uint32_t c) { return c >= 0x20 && c <= 0x7E && c != '&'; }

int AlphabetIndex(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == ',') return 63;
  return -1;
}

// The next code point of valid UTF-8 (no overlong form, no surrogate, at most U+10FFFF).
std::optional<uint32_t> NextCodePoint(std::string_view text, size_t& pos) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t first = byte(pos);
  size_t length = 0;
  uint32_t value = 0;
  uint32_t minimum = 0;
  if (first < 0x80) {
    ++pos;
    return first;
  } else if ((first & 0xE0) == 0xC0) {
    length = 2, value = first & 0x1F, minimum = 0x80;
  } else if ((first & 0xF0) == 0xE0) {
    length = 3, value = first & 0x0F, minimum = 0x800;
  } else if ((first & 0xF8) == 0xF0) {
    length = 4, value = first & 0x07, minimum = 0x10000;
  } else {
    return std::nullopt;
  }
  if (pos + length > text.size()) return std::nullopt;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(pos + i) & 0xC0) != 0x80) return std::nullopt;
    value = (value << 6) | (byte(pos + i) & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return std::nullopt;
  }
  pos += length;
  return value;
}

void AppendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

void AppendShifted(std::string& out, const std::vector<uint16_t>& units) {
  out.push_back('&');
  uint32_t bits = 0;
  int count = 0;
  for (uint16_t unit : units) {
    bits = (bits << 16) | unit;
    count += 16;
    while (count >= 6) {
      count -= 6;
      out.push_back(kAlphabet[(bits >> count) & 0x3F]);
    }
    bits &= (1u << count) - 1;
  }
  if (count > 0) out.push_back(kAlphabet[(bits << (6 - count)) & 0x3F]);
  out.push_back('-');
}

// The UTF-16 units of one shifted run, or nullopt when its bits do not make whole units.
std::optional<std::vector<uint16_t>> DecodeRun(std::string_view run) {
  std::vector<uint16_t> units;
  uint32_t bits = 0;
  int count = 0;
  for (char c : run) {
    const int index = AlphabetIndex(c);
    if (index < 0) return std::nullopt;
    bits = (bits << 6) | static_cast<uint32_t>(index);
    count += 6;
    if (count >= 16) {
      count -= 16;
      units.push_back(static_cast<uint16_t>(bits >> count));
      bits &= (1u << count) - 1;
    }
  }
  // Only the zero padding of the last character may be left.
  if (count >= 6 || bits != 0) return std::nullopt;
  return units;
}

}  // namespace

std::optional<std::string> EncodeModifiedUtf7(std::string_view utf8) {
  std::string out;
  std::vector<uint16_t> run;
  size_t pos = 0;
  while (pos < utf8.size()) {
    const std::optional<uint32_t> c = NextCodePoint(utf8, pos);
    if (!c) return std::nullopt;
    if (IsDirect(*c) || *c == '&') {
      if (!run.empty()) {
        AppendShifted(out, run);
        run.clear();
      }
      out += *c == '&' ? "&-" : std::string(1, static_cast<char>(*c));
    } else if (*c >= 0x10000) {
      const uint32_t v = *c - 0x10000;
      run.push_back(static_cast<uint16_t>(0xD800 | (v >> 10)));
      run.push_back(static_cast<uint16_t>(0xDC00 | (v & 0x3FF)));
    } else {
      run.push_back(static_cast<uint16_t>(*c));
    }
  }
  if (!run.empty()) AppendShifted(out, run);
  return out;
}

std::optional<std::string> DecodeModifiedUtf7(std::string_view name) {
  std::string out;
  size_t pos = 0;
  while (pos < name.size()) {
    const char c = name[pos];
    if (static_cast<uint8_t>(c) < 0x20 || static_cast<uint8_t>(c) > 0x7E) return std::nullopt;
    if (c != '&') {
      out.push_back(c);
      ++pos;
      continue;
    }
    const size_t end = name.find('-', pos + 1);
    if (end == std::string_view::npos) return std::nullopt;
    if (end == pos + 1) {
      out.push_back('&');
      pos = end + 1;
      continue;
    }
    const std::optional<std::vector<uint16_t>> units =
        DecodeRun(name.substr(pos + 1, end - pos - 1));
    if (!units || units->empty()) return std::nullopt;
    for (size_t i = 0; i < units->size(); ++i) {
      uint32_t unit = (*units)[i];
      if (unit >= 0xD800 && unit <= 0xDBFF) {
        if (i + 1 >= units->size()) return std::nullopt;
        const uint32_t low = (*units)[++i];
        if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
      } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
        return std::nullopt;
      } else if (IsDirect(unit) || unit == '&') {
        // Each name has one spelling: what may stand for itself must.
        return std::nullopt;
      }
      AppendUtf8(out, unit);
    }
    pos = end + 1;
  }
  return out;
}

}  // namespace postwink
