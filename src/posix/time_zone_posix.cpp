// The local time zone from the C library.
#include <ctime>

#include "core/platform/system.h"

namespace postwink {
namespace {

class PosixTimeZone final : public TimeZoneSource {
 public:
  std::optional<int> LocalOffsetMinutes() const override {
    const time_t now = time(nullptr);
    tm local{};
    if (!localtime_r(&now, &local)) return std::nullopt;
    return static_cast<int>(local.tm_gmtoff / 60);
  }
};

}  // namespace

const TimeZoneSource& PlatformTimeZone() {
  static const PosixTimeZone zone;
  return zone;
}

}  // namespace postwink
