#pragma once
// What the list needs from a BODYSTRUCTURE (RFC 3501, 7.4.2) without the message's text: whether
// the message is multipart and whether it carries an attachment.

#include "core/imap/imap_response.h"

namespace postwink {

struct StructureSummary {
  bool multipart = false;
  bool hasAttachment = false;
};

// A leaf counts as an attachment when its disposition says so or it carries a file name; the
// message's own text (a text part without a name) never does. Malformed structures give what
// could be read.
StructureSummary SummariseStructure(const ImapValue& structure);

}  // namespace postwink
