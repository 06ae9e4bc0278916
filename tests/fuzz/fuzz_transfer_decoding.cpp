// The transfer decoders on arbitrary bytes: no decoder may read past its input or grow it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/mime/transfer_encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace postwink;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (Base64Decode(input).size() > size / 4 * 3 + 2) std::abort();
  if (QuotedPrintableDecode(input).size() > size) std::abort();
  if (QuotedPrintableDecode(input, QuotedPrintableForm::kEncodedWord).size() > size) std::abort();
  if (PercentDecode(input).size() > size) std::abort();
  if (RemoveDotStuffing(input).size() > size) std::abort();
  return 0;
}
