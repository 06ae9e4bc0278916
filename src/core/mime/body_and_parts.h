#pragma once
// The body text and the part list of a parsed message, built on demand from its previewText.

#include <optional>
#include <string>

#include "core/mime/charset.h"
#include "core/mime/mail_item.h"
#include "core/mime/mime_parts.h"

namespace postwink {

// Fills parts with the message's parts (at least one) and returns the index of the part that
// is the body text, or none when no part is text.
std::optional<size_t> ListMessageParts(const MailItem& item, PartList& parts,
                                       const CharsetContext& context);

// The body text for display (transfer-decoded, converted to code page 932, dot-stuffing
// removed), or none; parts receives the part list, whose offsets point into previewText.
std::optional<std::string> GetBodyAndParts(const MailItem& item, PartList& parts,
                                           const CharsetContext& context);

// The content of a part: from its start up to the CR LF before its closing boundary line, or
// to the end of the text; empty for a part without a start.
std::string_view PartContent(std::string_view text, const MimePart& part);

}  // namespace postwink
