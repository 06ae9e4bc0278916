// Content-Disposition values with RFC 2231 file-name sections, and the other parameter lookups
// of a part header.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/mime/file_names.h"
#include "core/mime/mime_parts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace postwink;
  const std::string_view value(reinterpret_cast<const char*>(data), size);
  const CharsetContext context{PlatformSystem().codePage, PlatformCharsetConverter()};
  if (std::optional<std::string> name = AssembleExtendedParameter(value, "filename", context)) {
    SanitizeFileName(*name);
  }
  GetDecodedParameter(value, "filename", context);
  GetDecodedParameter(value, "name", context);
  GetParameter(value, "boundary");
  ExtensionForType(value);
  return 0;
}
