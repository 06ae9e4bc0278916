#include "core/mime/body_and_parts.h"

#include "core/mime/header_fields.h"
#include "core/mime/transfer_encoding.h"

namespace postwink {
namespace {

bool IsTextPart(const MimePart& part) { return !part.type || StartsWithNoCase(*part.type, "text"); }

}  // namespace

std::string_view PartContent(std::string_view text, const MimePart& part) {
  if (!part.start || *part.start > text.size()) return {};
  size_t end = text.size();
  if (part.end) {
    // An empty part has its boundary line right at its start: no CR LF to leave out.
    end = *part.end >= *part.start + 2 ? *part.end - 2 : *part.start;
    if (end > text.size()) end = text.size();
  }
  return text.substr(*part.start, end - *part.start);
}

std::optional<size_t> ListMessageParts(const MailItem& item, PartList& parts,
                                       const CharsetContext& context) {
  parts.clear();
  std::string_view text = item.previewText ? std::string_view(*item.previewText) : "";
  if (item.isMultipart && item.contentType && item.previewText) {
    ListParts(*item.contentType, text, parts, context);
  }
  if (parts.empty()) {
    MimePart part;
    part.type = item.contentType;
    part.encoding = item.transferEncoding;
    if (item.previewText) part.start = 0;
    bool isText = !item.contentType || StartsWithNoCase(*item.contentType, "text");
    if (!isText) part.name = GetDecodedParameter(*item.contentType, "name", context);
    parts.push_back(std::move(part));
    if (!isText) return std::nullopt;
    return 0;
  }
  for (size_t i = 0; i < parts.size(); ++i) {
    if (IsTextPart(parts[i])) return i;
  }
  return std::nullopt;
}

std::optional<std::string> GetBodyAndParts(const MailItem& item, PartList& parts,
                                           const CharsetContext& context) {
  std::optional<size_t> body = ListMessageParts(item, parts, context);
  if (!body || !parts[*body].start || !item.previewText) return std::nullopt;
  const MimePart& part = parts[*body];
  std::string_view content = PartContent(*item.previewText, part);
  std::string decoded;
  if (part.encoding && EqualsNoCase(*part.encoding, "base64")) {
    decoded = Base64Decode(content);
    content = decoded;
  } else if (part.encoding && EqualsNoCase(*part.encoding, "quoted-printable")) {
    decoded = QuotedPrintableDecode(content);
    content = decoded;
  }
  std::string converted = ConvertBodyCharset(content, part.type.value_or(""), context);
  return RemoveDotStuffing(converted);
}

}  // namespace postwink
