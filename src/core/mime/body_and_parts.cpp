#include "core/mime/body_and_parts.h"

#include "core/mime/header_fields.h"
#include "core/mime/transfer_encoding.h"

namespace postwink {
namespace {

bool IsText(const MimePart& part) { return IsTextType(part.type); }

bool HasAttachmentDisposition(const MimePart& part) {
  if (!part.disposition) return false;
  const size_t start = part.disposition->find_first_not_of(" \t");
  return start != std::string::npos &&
         StartsWithNoCase(std::string_view(*part.disposition).substr(start), "attachment");
}

// A Content-Transfer-Encoding value that names the encoding, blanks around it allowed.
bool IsEncoding(const std::optional<std::string>& value, std::string_view encoding) {
  if (!value) return false;
  const size_t start = value->find_first_not_of(" \t");
  if (start == std::string::npos) return false;
  const size_t end = value->find_last_not_of(" \t");
  return EqualsNoCase(std::string_view(*value).substr(start, end - start + 1), encoding);
}

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

std::string DecodePartContent(std::string_view text, const MimePart& part) {
  return DecodeContent(PartContent(text, part), part);
}

std::string DecodeContent(std::string_view content, const MimePart& part) {
  if (IsEncoding(part.encoding, "base64")) return Base64Decode(content);
  if (IsEncoding(part.encoding, "quoted-printable")) return QuotedPrintableDecode(content);
  return std::string(content);
}

bool IsBodyCandidate(const MimePart& part) {
  return IsText(part) && !HasAttachmentDisposition(part);
}

bool CountsAsAttachment(const MimePart& part) {
  if (HasAttachmentDisposition(part)) return true;
  if (part.inRelated && part.type && StartsWithNoCase(*part.type, "image/")) return false;
  return (part.name && !part.name->empty()) || !IsText(part);
}

bool HasAttachment(const PartList& parts, std::optional<size_t> body) {
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i != body && CountsAsAttachment(parts[i])) return true;
  }
  return false;
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
    if (item.headerText)
      part.disposition = GetHeaderField(*item.headerText, "Content-Disposition:");
    part.name = PartFileName(part.disposition, part.type, context);
    if (item.previewText) part.start = 0;
    parts.push_back(std::move(part));
  }
  for (size_t i = 0; i < parts.size(); ++i) {
    if (IsBodyCandidate(parts[i])) return i;
  }
  return std::nullopt;
}

std::optional<std::string> GetBodyAndParts(const MailItem& item, PartList& parts,
                                           const CharsetContext& context) {
  std::optional<size_t> body = ListMessageParts(item, parts, context);
  if (!body || !parts[*body].start || !item.previewText) return std::nullopt;
  const MimePart& part = parts[*body];
  return ConvertBodyCharset(DecodePartContent(*item.previewText, part), part.type.value_or(""),
                            context);
}

void AttachmentParts(const MailItem& item, PartList& parts, const CharsetContext& context) {
  if (!item.serverParts) {
    ListMessageParts(item, parts, context);
    return;
  }
  parts = *item.serverParts;
  for (MimePart& part : parts) {
    if (std::optional<std::string> name = PartFileName(part.disposition, part.type, context)) {
      part.name = std::move(name);
    }
  }
}

}  // namespace postwink
