// Header values and Content-Type parameters from a hostile message: encoded words, RFC 2231
// values and the body charset. The first line is a Content-Type value, the rest a header value
// and a body.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/mime/charset.h"
#include "core/mime/encoded_words.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace postwink;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const CharsetContext context{PlatformSystem().codePage, PlatformCharsetConverter()};
  const size_t newline = input.find('\n');
  const std::string_view contentType = input.substr(0, newline);
  const std::string_view rest =
      newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);
  DecodeEncodedWords(input, context);
  ConvertBodyCharset(rest, contentType, context);
  DecodeRfc2231Value(rest, context);
  ConvertCharset(rest, contentType, context);
  return 0;
}
