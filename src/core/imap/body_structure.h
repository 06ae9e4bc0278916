#pragma once
// What the list needs from a BODYSTRUCTURE (RFC 3501, 7.4.2) without the message's text: whether
// the message is multipart, its leaf parts as a part list (each with the section that fetches
// it), and whether one of them is an attachment.

#include <cstddef>

#include "core/imap/imap_response.h"
#include "core/mime/mime_parts.h"

namespace postwink {

// A message of more leaves than this lists the first ones only.
inline constexpr size_t kMaxStructureParts = 1000;

struct StructureSummary {
  bool multipart = false;
  bool hasAttachment = false;
  // The leaves in order, nested multiparts flattened as the message text's own list is; a
  // message/rfc822 part is one leaf. Type and disposition are written back as header values
  // with their parameters, so that the names are read (and decoded) as a fetched header's are.
  // A part's name holds the parameter as sent, which judges it named; AttachmentParts decodes
  // it.
  PartList parts;
};

// Attachments are judged as for a fetched message (CountsAsAttachment), the body (the first text
// part not marked as an attachment) aside. Malformed structures give what could be read.
StructureSummary SummariseStructure(const ImapValue& structure);

}  // namespace postwink
