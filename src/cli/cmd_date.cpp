// postwink-cli date: the "Received" text that the list shows for a Date value.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "core/mime/date.h"
#include "core/platform/system.h"

namespace postwink::cli {
namespace {

class FixedZone final : public TimeZoneSource {
 public:
  explicit FixedZone(int minutes) : minutes_(minutes) {}
  std::optional<int> LocalOffsetMinutes() const override { return minutes_; }

 private:
  int minutes_;
};

// "+HHMM" or "-HHMM" as minutes east of UTC.
std::optional<int> ParseZone(const std::string& text) {
  if (text.size() != 5 || (text[0] != '+' && text[0] != '-')) return std::nullopt;
  for (size_t i = 1; i < 5; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
  }
  const int hours = (text[1] - '0') * 10 + (text[2] - '0');
  const int minutes = (text[3] - '0') * 10 + (text[4] - '0');
  if (hours > 23 || minutes > 59) return std::nullopt;
  const int total = hours * 60 + minutes;
  return text[0] == '-' ? -total : total;
}

int Run(const std::vector<std::string>& args) {
  std::optional<int> zoneMinutes;
  std::optional<std::string> value;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--zone") {
      if (i + 1 >= args.size() || !(zoneMinutes = ParseZone(args[i + 1]))) {
        std::fprintf(stderr, "postwink-cli date: --zone takes +HHMM or -HHMM\n");
        return kExitUsage;
      }
      ++i;
    } else if (!value) {
      value = args[i];
    } else {
      std::fprintf(stderr, "usage: postwink-cli date [--zone +HHMM] VALUE (quote the value)\n");
      return kExitUsage;
    }
  }
  if (!value) {
    std::fprintf(stderr, "usage: postwink-cli date [--zone +HHMM] VALUE\n");
    return kExitUsage;
  }
  std::optional<FixedZone> fixed;
  if (zoneMinutes) fixed.emplace(*zoneMinutes);
  LocalZone zone{fixed ? static_cast<const TimeZoneSource&>(*fixed) : PlatformTimeZone()};
  const FormattedDate shown = FormatDateText(*value, "yy/MM/dd", "HH:mm:ss", zone);
  std::printf("%s\n", shown.text.c_str());
  if (!shown.parsed) {
    std::fprintf(stderr, "postwink-cli date: not a date this program reads; shown as it came\n");
    return kExitFailure;
  }
  return kExitOk;
}

static RegisterCommand reg("date", "date [--zone +HHMM] VALUE   the list's text for a Date value",
                           &Run);

}  // namespace
}  // namespace postwink::cli
