// UTF-7 and UTF-8 into code page 932: whatever the input, the output is whole 932 characters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/mime/charset.h"
#include "core/text/cp932.h"

namespace {

void CheckWholeCharacters(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (postwink::IsLeadByte(text[i]) && ++i >= text.size()) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace postwink;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const CharsetContext context{PlatformSystem().codePage, PlatformCharsetConverter()};
  for (UnicodeForm form : {UnicodeForm::kUtf7, UnicodeForm::kUtf8}) {
    const std::optional<std::string> out = ConvertViaUnicode(input, form, context);
    if (!out) std::abort();
    CheckWholeCharacters(*out);
  }
  return 0;
}
