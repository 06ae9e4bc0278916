#include "core/mime/date.h"

#include <array>
#include <cstdint>

#include "core/text/case.h"
#include "core/text/utf8.h"

namespace postwink {
namespace {

constexpr int kFallbackZoneMinutes = 540;  // +09:00
constexpr int kDigitCap = 100000000;       // numbers stop growing here; ranges are checked later
constexpr size_t kMaxValueLength = 256;
constexpr size_t kCutValueLength = 254;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsZoneByte(char c) { return IsDigit(c) || IsLetter(c) || c == '+' || c == '-'; }

// Reads decimal digits at pos; the count of digits read goes to `digits`.
int ReadNumber(std::string_view text, size_t& pos, int& digits) {
  int value = 0;
  digits = 0;
  while (pos < text.size() && IsDigit(text[pos])) {
    if (value < kDigitCap) value = value * 10 + (text[pos] - '0');
    ++pos;
    ++digits;
  }
  return value;
}

std::string_view ReadLetters(std::string_view text, size_t& pos) {
  const size_t start = pos;
  while (pos < text.size() && IsLetter(text[pos])) ++pos;
  return text.substr(start, pos - start);
}

int MonthNumber(std::string_view word) {
  static constexpr std::array<std::string_view, 12> kMonths = {
      "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (size_t i = 0; i < kMonths.size(); ++i) {
    if (EqualsNoCase(word, kMonths[i])) return static_cast<int>(i) + 1;
  }
  return 0;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && IsLeapYear(year)) return 29;
  return kDays[static_cast<size_t>(month - 1)];
}

// The range the system's own time record accepts.
bool IsValidDate(const DateTime& t) {
  return t.year >= 1601 && t.year <= 30827 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
         t.day <= DaysInMonth(t.year, t.month) && t.hour >= 0 && t.hour <= 23 && t.minute >= 0 &&
         t.minute <= 59 && t.second >= 0 && t.second <= 59 && t.milliseconds >= 0 &&
         t.milliseconds <= 999;
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's algorithms).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, DateTime& t) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp + (mp < 10 ? 3 : -9);
  t.year = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
  t.month = static_cast<int>(m);
  t.day = static_cast<int>(d);
}

struct NamedZone {
  std::string_view name;
  int minutes;
};

// The zone names of RFC 5322 (and UTC), and Japan's, which Japanese mail often carries.
constexpr std::array<NamedZone, 13> kNamedZones = {{
    {"UT", 0},
    {"UTC", 0},
    {"GMT", 0},
    {"Z", 0},
    {"EST", -5 * 60},
    {"EDT", -4 * 60},
    {"CST", -6 * 60},
    {"CDT", -5 * 60},
    {"MST", -7 * 60},
    {"MDT", -6 * 60},
    {"PST", -8 * 60},
    {"PDT", -7 * 60},
    {"JST", 9 * 60},
}};

// Zone offset in minutes; nullopt for an unknown zone name or no zone (no shift).
std::optional<int> ZoneOffsetMinutes(std::string_view zone) {
  if (!zone.empty() && (zone[0] == '+' || zone[0] == '-')) {
    size_t pos = 1;
    int digits = 0;
    int v = ReadNumber(zone, pos, digits);
    if (zone[0] == '-') v = -v;
    return (v / 100) * 60 + v % 100;
  }
  for (const NamedZone& named : kNamedZones) {
    if (EqualsNoCase(zone, named.name)) return named.minutes;
  }
  return std::nullopt;
}

void AppendNumber(std::string& out, int value, int width) {
  std::string digits = std::to_string(value);
  if (static_cast<int>(digits.size()) < width) out.append(width - digits.size(), '0');
  out += digits;
}

// Renders a date or time picture in the manner of the system's date and time formatters:
// runs of one picture letter are fields, text in single quotes ("''" is a quote) is literal.
std::string RenderPicture(std::string_view picture, const DateTime& t) {
  std::string out;
  size_t i = 0;
  while (i < picture.size()) {
    const char c = picture[i];
    if (c == '\'') {
      ++i;
      if (i < picture.size() && picture[i] == '\'') {
        out.push_back('\'');
        ++i;
        continue;
      }
      while (i < picture.size()) {
        if (picture[i] == '\'') {
          if (i + 1 < picture.size() && picture[i + 1] == '\'') {
            out.push_back('\'');
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        const size_t len = CharLength(picture, i);
        out.append(picture.substr(i, len));
        i += len;
      }
      continue;
    }
    size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    const int width = run >= 2 ? 2 : 1;
    switch (c) {
      case 'y':
        if (run >= 3) {
          AppendNumber(out, t.year, 4);
        } else {
          AppendNumber(out, t.year % 100, run == 2 ? 2 : 1);
        }
        break;
      case 'M':
        AppendNumber(out, t.month, width);
        break;
      case 'd':
        AppendNumber(out, t.day, width);
        break;
      case 'H':
        AppendNumber(out, t.hour, width);
        break;
      case 'h':
        AppendNumber(out, t.hour % 12 == 0 ? 12 : t.hour % 12, width);
        break;
      case 'm':
        AppendNumber(out, t.minute, width);
        break;
      case 's':
        AppendNumber(out, t.second, width);
        break;
      case 't':
        out += run >= 2 ? (t.hour < 12 ? "AM" : "PM") : (t.hour < 12 ? "A" : "P");
        break;
      default: {
        // Anything else is literal; a character is copied whole.
        const size_t len = CharLength(picture, i);
        out.append(picture.substr(i, len));
        i += len;
        continue;
      }
    }
    i += run;
  }
  return out;
}

}  // namespace

void RefreshLocalZone(LocalZone& zone) {
  zone.localZoneMinutes = zone.source.LocalOffsetMinutes().value_or(kFallbackZoneMinutes);
}

void ShiftToLocal(DateTime& time, std::string_view zoneText, LocalZone& zone) {
  if (zone.localZoneMinutes == -1) RefreshLocalZone(zone);
  const std::optional<int> offset = ZoneOffsetMinutes(zoneText);
  if (!offset) return;
  const int64_t shift = int64_t{zone.localZoneMinutes} - *offset;
  if (shift == 0 || shift >= 24 * 60 || shift <= -24 * 60) return;
  if (!IsValidDate(time)) return;
  int64_t minutes =
      DaysFromCivil(time.year, time.month, time.day) * 1440 + time.hour * 60 + time.minute + shift;
  int64_t days = minutes / 1440;
  int64_t rest = minutes % 1440;
  if (rest < 0) {
    rest += 1440;
    --days;
  }
  CivilFromDays(days, time);
  time.hour = static_cast<int>(rest / 60);
  time.minute = static_cast<int>(rest % 60);
}

std::optional<DateTime> MatchDatePattern(std::string_view pattern, std::string_view value,
                                         LocalZone& zone) {
  DateTime t;
  std::string_view zoneText;
  size_t pos = 0;
  int digits = 0;
  for (size_t p = 0; p < pattern.size(); ++p) {
    switch (pattern[p]) {
      case ' ':
        while (pos < value.size() && value[pos] == ' ') ++pos;
        break;
      case '*': {
        const char stop = p + 1 < pattern.size() ? pattern[p + 1] : '\0';
        while (pos < value.size() && value[pos] != stop) ++pos;
        break;
      }
      case 'w':
        ReadLetters(value, pos);
        break;
      case 'd':
        t.day = ReadNumber(value, pos, digits);
        if (t.day == 0) return std::nullopt;
        break;
      case 'M':
        t.month = ReadNumber(value, pos, digits);
        if (t.month == 0) return std::nullopt;
        break;
      case 'm':
        t.month = MonthNumber(ReadLetters(value, pos));
        if (t.month == 0) return std::nullopt;
        break;
      case 'y':
        t.year = ReadNumber(value, pos, digits);
        if (t.year < 1900) t.year += t.year < 71 ? 2000 : 1900;
        break;
      case 'h':
      case 'H':
        t.hour = ReadNumber(value, pos, digits);
        break;
      case 'n':
        t.minute = ReadNumber(value, pos, digits);
        break;
      case 's':
        t.second = ReadNumber(value, pos, digits);
        break;
      case 't': {
        const size_t start = pos;
        while (pos < value.size() && IsZoneByte(value[pos])) ++pos;
        zoneText = value.substr(start, pos - start);
        break;
      }
      default:
        if (pos >= value.size() || value[pos] != pattern[p]) return std::nullopt;
        ++pos;
        break;
    }
  }
  ShiftToLocal(t, zoneText, zone);
  return t;
}

FormattedDate FormatDateText(std::string_view value, std::string_view datePicture,
                             std::string_view timePicture, LocalZone& zone) {
  if (value.size() >= kMaxValueLength) {
    return {std::string(CutToChars(value, kCutValueLength)), false};
  }
  static constexpr std::array<std::string_view, 5> kPatterns = {
      "w, d m y h:n:s t", "w, d-m-y h:n:s t", "w, d m y h:n t", "w d m y h:n:s t",
      "w m d h:n:s y t"};
  for (std::string_view pattern : kPatterns) {
    const std::optional<DateTime> t = MatchDatePattern(pattern, value, zone);
    if (!t) continue;
    if (!IsValidDate(*t)) break;
    const std::string date = RenderPicture(datePicture.empty() ? "yyyy/MM/dd" : datePicture, *t);
    const std::string time = RenderPicture(timePicture.empty() ? "H:mm:ss" : timePicture, *t);
    return {date + " " + time, true};
  }
  return {std::string(value), false};
}

}  // namespace postwink
