#pragma once
// Attachments and exported texts written into the program's temporary folder.

#include <optional>
#include <string>
#include <string_view>

#include "core/mime/mail_item.h"
#include "core/mime/mime_parts.h"
#include "core/platform/system.h"

namespace postwink {

// The program's temporary folder, ending in its separator.
struct TempFolder {
  FileSystem& files;
  std::string path;
  // For files an old editor reads: code page 932 where the text fits it.
  const CodePage& codePage;
};

// The header block of an exported message: From, To, CC (only when present), Date and Subject
// between two lines of hyphens, each line ending in CR LF.
std::string ExportHeaderText(const MailItem& item);

// Decodes part `index` of the item's part list into a file of the temporary folder, named
// after the part; returns the file's full path, or none.
std::optional<std::string> ExtractAttachment(const MailItem& item, const PartList& parts,
                                             size_t index, TempFolder& folder);

// The same for a part fetched on its own from the server: content is what the server sent,
// decoded here by the part's encoding.
std::optional<std::string> WriteFetchedPart(const MimePart& part, std::string_view content,
                                            TempFolder& folder);

// Writes the data under the name (made safe first) into a new sub-folder of the temporary
// folder, so that a viewer still holding an earlier file of that name neither blocks the write
// nor has its file replaced; without a name into a new unique file whose name starts with "Pos".
// Returns the full path, or none.
std::optional<std::string> WriteAttachmentFile(std::optional<std::string> name,
                                               std::string_view data, TempFolder& folder);

// The mark that a file came from the internet, for the stream kZoneIdentifierStream beside its
// data: the system's warnings and Office's protected view go by it.
inline constexpr const char* kZoneIdentifierStream = ":Zone.Identifier";
inline constexpr const char* kInternetZoneMark = "[ZoneTransfer]\r\nZoneId=3\r\n";

}  // namespace postwink
