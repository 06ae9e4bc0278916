#include "core/mime/parse_message.h"

#include <climits>

#include "core/mime/body_and_parts.h"
#include "core/mime/file_names.h"
#include "core/mime/header_fields.h"
#include "core/mime/message_identity.h"
#include "core/mime/transfer_encoding.h"
#include "core/text/utf8.h"

namespace postwink {
namespace {

// The dump's name is cut to this before the counter digits go on, so that the path stays
// within what Windows can create.
constexpr size_t kDumpNameLimit = 120;

// The C library's atoi, without its overflow: leading white space, an optional sign, digits.
long ReadInteger(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || (text[pos] >= '\t' && text[pos] <= '\r'))) {
    ++pos;
  }
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  long value = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    if (value < LONG_MAX / 10 - 10) value = value * 10 + (text[pos] - '0');
  }
  return negative ? -value : value;
}

// A text body is transfer-decoded for the preview; any other body stays as it came, and keeps
// its encoding for the attachment that it becomes.
std::string DecodeBody(MailItem& item, std::string_view body) {
  if (!item.transferEncoding || !item.contentType || !IsTextType(item.contentType)) {
    return std::string(body);
  }
  std::string decoded;
  if (StartsWithNoCase(*item.transferEncoding, "base64")) {
    decoded = Base64Decode(body);
  } else if (StartsWithNoCase(*item.transferEncoding, "quoted-printable")) {
    decoded = QuotedPrintableDecode(body);
  } else {
    decoded = std::string(body);
  }
  item.transferEncoding.reset();
  return decoded;
}

// Sets previewText: the body, without the POP3 dot-stuffing when dotStuffed is set, and
// transfer-decoded when the message is a single text part (after the header block when
// showHeader is set); the whole text when there is no body and showHeader is set.
void BuildPreviewText(MailItem& item, std::string_view text, std::optional<size_t> bodyStart,
                      bool showHeader, bool dotStuffed) {
  if (bodyStart && *bodyStart < text.size()) {
    std::string_view body = text.substr(*bodyStart);
    std::string unstuffed;
    if (dotStuffed) {
      unstuffed = RemoveDotStuffing(body);
      body = unstuffed;
    }
    std::string decoded = DecodeBody(item, body);
    if (showHeader) decoded.insert(0, text.substr(0, *bodyStart));
    item.previewText = std::move(decoded);
  } else if (showHeader) {
    item.previewText = std::string(text);
  }
}

void DumpMessage(const MailItem& item, std::string_view text, const ParseOptions& options) {
  // Without a temporary folder the name would be relative to whatever the current folder is.
  if (!options.files || options.tempFolder.empty()) return;
  std::string name = item.from.value_or("") + "-" + item.subject.value_or("") + "-" +
                     item.dateText.value_or("") + "-" + item.identity;
  SanitizeFileName(name);
  name = std::string(CutToUtf16Units(name, kDumpNameLimit));
  SanitizeFileName(name);  // the cut may leave a trailing dot or space
  std::string path = options.tempFolder + name;
  for (int counter = 0; options.files->Exists(path); ++counter) {
    if (counter > 99) return;
    path += std::to_string(counter);
  }
  options.files->WriteWhole(path, text);
}

}  // namespace

void ParseMessage(MailItem& item, std::string_view text, std::optional<std::string_view> sizeText,
                  const ParseOptions& options) {
  const CharsetContext& charsets = options.charsets;
  const std::optional<size_t> bodyStart = FindBodyStart(text);
  // Fields are looked up in the header block only: a header written without its empty line
  // must not take the body's lines for fields.
  const std::string_view header = text.substr(0, bodyStart.value_or(text.size()));
  item.subject = GetDecodedField(header, "Subject:", false, charsets);
  item.from = GetDecodedField(header, "From:", false, charsets);
  item.to = GetDecodedField(header, "To:", true, charsets);
  item.cc = GetDecodedField(header, "Cc:", true, charsets);
  item.contentType = GetDecodedField(header, "Content-Type:", false, charsets);
  if (item.contentType && StartsWithNoCase(*item.contentType, "multipart")) {
    item.isMultipart = 1;
  } else {
    item.transferEncoding = GetHeaderField(header, "Content-Transfer-Encoding:");
  }
  if (std::optional<std::string> date = GetHeaderField(header, "Date:")) {
    item.dateText = FormatDateText(*date, "yy/MM/dd", "HH:mm:ss", options.zone).text;
  }
  if (sizeText) item.sizeText = std::string(*sizeText);
  item.identity = MessageIdentity(text);
  item.uniqueId = GetHeaderField(header, "X-UIDL:");

  std::optional<std::string> priority = GetDecodedField(header, "X-Priority:", false, charsets);
  if (priority && ReadInteger(*priority) < 3) {
    item.flags |= kMailImportant;
  } else {
    item.flags &= ~kMailImportant;
  }

  item.headerText = std::string(header);
  BuildPreviewText(item, text, bodyStart, options.showHeader, options.dotStuffed);

  // Only the part list matters here; the body text is not built.
  PartList parts;
  std::optional<size_t> body = ListMessageParts(item, parts, charsets);
  item.hasAttachment = HasAttachment(parts, body) ? 1 : 0;

  if (options.log) DumpMessage(item, text, options);
}

void FreeLargeTexts(MailItem& item) {
  item.previewText.reset();
  item.headerText.reset();
}

}  // namespace postwink
