#pragma once
// Parsing a fetched message into its MailItem, and the texts built from the record.

#include <optional>
#include <string>
#include <string_view>

#include "core/mime/charset.h"
#include "core/mime/date.h"
#include "core/mime/mail_item.h"
#include "core/platform/system.h"

namespace postwink {

// What parsing needs from the settings and the program; the caller fills it in.
struct ParseOptions {
  ParseOptions(const CharsetContext& charsetContext, LocalZone& localZone)
      : charsets(charsetContext), zone(localZone) {}

  const CharsetContext& charsets;
  LocalZone& zone;
  bool showHeader = false;      // SHOWHEADER: the preview starts with the header block
  bool log = false;             // LOG: every message is dumped into the temporary folder
  bool dotStuffed = true;       // the text is as POP3 sends it: lines that begin with "." doubled
  FileSystem* files = nullptr;  // for the dump; none: no dump
  std::string tempFolder;       // the program's temporary folder, ending in its separator
};

// Fills the item's fields from the message text (header block, empty line, body lines, every
// line ending in CR LF). sizeText is the size as the server reported it.
void ParseMessage(MailItem& item, std::string_view text, std::optional<std::string_view> sizeText,
                  const ParseOptions& options);

// Frees previewText and headerText (when the user removes the item from the list).
void FreeLargeTexts(MailItem& item);

// The display name of a From text ("Name" <address> gives Name), in place; an address alone
// stays as it is.
void FromDisplayName(std::string& from);

// The From cell's tool tip: From, To and (when present) CC, one address a line.
std::string AddressTipText(const MailItem& item);

}  // namespace postwink
