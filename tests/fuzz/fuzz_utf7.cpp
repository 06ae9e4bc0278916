// UTF-7 and UTF-8 into UTF-8: whatever the input, the output is valid UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/mime/charset.h"
#include "core/text/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace postwink;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const CharsetContext context{PlatformSystem().codePage, PlatformCharsetConverter()};
  for (UnicodeForm form : {UnicodeForm::kUtf7, UnicodeForm::kUtf8}) {
    const std::optional<std::string> out = ConvertViaUnicode(input, form, context);
    if (!out) std::abort();
    if (!IsValidUtf8(*out)) std::abort();
  }
  return 0;
}
