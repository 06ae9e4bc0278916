#pragma once
// The body text and the part list of a parsed message, built on demand from its previewText.

#include <optional>
#include <string>

#include "core/mime/charset.h"
#include "core/mime/mail_item.h"
#include "core/mime/mime_parts.h"

namespace postwink {

// Fills parts with the message's parts (at least one) and returns the index of the part that
// is the body text: the first text part (or part without a type) that is not marked as an
// attachment by its Content-Disposition; none when there is no such part.
std::optional<size_t> ListMessageParts(const MailItem& item, PartList& parts,
                                       const CharsetContext& context);

// The body text for display (transfer-decoded, converted to UTF-8), or none; parts
// receives the part list, whose offsets point into previewText.
std::optional<std::string> GetBodyAndParts(const MailItem& item, PartList& parts,
                                           const CharsetContext& context);

// The content of a part: from its start up to the CR LF before its closing boundary line, or
// to the end of the text; empty for a part without a start.
std::string_view PartContent(std::string_view text, const MimePart& part);

// PartContent, base64 or quoted-printable decoded by the part's encoding.
std::string DecodePartContent(std::string_view text, const MimePart& part);
// A part's content on its own, decoded by the part's encoding.
std::string DecodeContent(std::string_view content, const MimePart& part);

// The parts the attachment menu offers: an IMAP message's as its structure lists them, with
// their names decoded (their content is fetched when opened); any other message's from its
// fetched text (ListMessageParts).
void AttachmentParts(const MailItem& item, PartList& parts, const CharsetContext& context);

// Whether a part could be the body text: text (or without a type) and not an attachment.
bool IsBodyCandidate(const MimePart& part);

// Whether a part is something to open: marked as an attachment, or named, or not text; an
// image of a multipart/related page (its pictures) only when it is marked as an attachment.
bool CountsAsAttachment(const MimePart& part);

// Whether any part other than the body counts as an attachment: the message's paper clip.
bool HasAttachment(const PartList& parts, std::optional<size_t> body);

}  // namespace postwink
