// ISO-2022-JP and ISO-2022-KR streams with every escape cut short or malformed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/mime/iso2022.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace postwink;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (JisToShiftJis(input).size() > size) std::abort();
  if (Iso2022KrToEucKr(input).size() > size) std::abort();
  return 0;
}
