// The IMAP response reader fed with arbitrary server bytes, cut into lines by the line splitter
// as the transport does: it must not crash or leak, never holds more than its limits allow, and
// keeps no literal beyond what it was told to keep; any list read as a message's structure gives
// a bounded part list. The first byte chooses how much of each literal is kept.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/imap/body_structure.h"
#include "core/imap/imap_response.h"
#include "core/pop3/line_splitter.h"

namespace {

using namespace postwink;

void CheckValue(const ImapValue& value, size_t kept, size_t depth) {
  if (depth > ImapLimits{}.maxDepth + 1) std::abort();
  if (value.text.size() > kept && value.kind == ImapValue::Kind::kString && value.literalSize > 0) {
    std::abort();
  }
  if (value.truncated && value.text.size() != kept) std::abort();
  for (const ImapValue& item : value.items) CheckValue(item, kept, depth + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t kept = data[0];
  ImapLimits limits;
  limits.maxLiteralKept = kept;
  limits.maxResponseText = 4096;
  limits.maxLiteralSize = 1u << 16;
  limits.maxLiterals = 16;
  ImapResponseReader reader(limits);
  LineSplitter splitter(8192);
  const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  splitter.Feed(input, [&](std::string_view line) {
    ImapResponseReader::Result result = reader.Feed(line);
    if (reader.HeldBytes() > limits.maxResponseText + limits.maxLiterals * kept) std::abort();
    if (result.status == ImapResponseReader::Status::kResponse) {
      for (const ImapValue& value : result.response.values) {
        CheckValue(value, kept, 0);
        // Any list may be taken for a message's structure; its part list stays bounded.
        for (const ImapValue& item : value.items) {
          const StructureSummary summary = SummariseStructure(item);
          if (summary.parts.size() > kMaxStructureParts) std::abort();
          for (const MimePart& part : summary.parts) {
            if (!part.section || part.section->empty()) std::abort();
          }
        }
      }
    } else if (result.status == ImapResponseReader::Status::kError) {
      if (result.error.empty() || reader.HeldBytes() != 0) std::abort();
    }
    return true;
  });
  return 0;
}
