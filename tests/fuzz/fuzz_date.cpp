// Date values: the first byte picks the local zone, the rest is the value. A parsed date has the
// fixed form of its pictures; anything else is the value itself or at most its first 254 characters
// (fewer where a cut would split a cluster).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "core/mime/date.h"
#include "core/text/utf8.h"

namespace {

class FixedZone final : public postwink::TimeZoneSource {
 public:
  explicit FixedZone(int minutes) : minutes_(minutes) {}
  std::optional<int> LocalOffsetMinutes() const override { return minutes_; }

 private:
  int minutes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace postwink;
  if (size == 0) return 0;
  const FixedZone source((static_cast<int>(data[0]) - 128) * 15);
  LocalZone zone{source};
  const std::string_view value(reinterpret_cast<const char*>(data + 1), size - 1);
  const FormattedDate shown = FormatDateText(value, "yy/MM/dd", "HH:mm:ss", zone);
  if (shown.parsed) {
    if (shown.text.size() != 17) std::abort();
  } else if (value.size() < 256
                 ? shown.text != value
                 : (postwink::CountChars(shown.text) > 254 || !value.starts_with(shown.text))) {
    std::abort();
  }
  FormatDateText(value, "yyyy'x'MMMM dd", "h:m:s tt", zone);
  return 0;
}
