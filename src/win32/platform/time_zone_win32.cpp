// The local time zone from the Windows time-zone information.
#include <windows.h>

#include "core/platform/system.h"

namespace postwink {
namespace {

class Win32TimeZone final : public TimeZoneSource {
 public:
  std::optional<int> LocalOffsetMinutes() const override {
    TIME_ZONE_INFORMATION info{};
    switch (GetTimeZoneInformation(&info)) {
      case TIME_ZONE_ID_STANDARD:
        return -static_cast<int>(info.Bias + info.StandardBias);
      case TIME_ZONE_ID_DAYLIGHT:
        return -static_cast<int>(info.Bias + info.DaylightBias);
      case TIME_ZONE_ID_UNKNOWN:
        return -static_cast<int>(info.Bias);
      default:
        return std::nullopt;
    }
  }
};

}  // namespace

const TimeZoneSource& PlatformTimeZone() {
  static const Win32TimeZone zone;
  return zone;
}

}  // namespace postwink
