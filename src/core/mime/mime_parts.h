#pragma once
// The MIME structure of a message body (RFC 2046): the flat list of its leaf parts, with nested
// multiparts appended to the same list, and the parameters of header values.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/mime/charset.h"

namespace postwink {

// One leaf part. Positions are offsets into the text the list was built from (the item's
// previewText), so the list stays meaningful however that string is moved.
struct MimePart {
  std::optional<std::string> type;      // Content-Type value, unfolded, parameters included
  std::optional<std::string> name;      // file name, decoded
  std::optional<std::string> encoding;  // Content-Transfer-Encoding value, unfolded
  std::optional<size_t> start;          // first byte of the content
  std::optional<size_t> end;            // the "--" of the next boundary line; none when cut off
};

using PartList = std::vector<MimePart>;

// Nested multiparts deeper than this are taken as one part, so a crafted message cannot
// exhaust the stack.
constexpr int kMaxMultipartNesting = 32;

// Appends the parts of a multipart body to the list; returns the new count.
size_t ListParts(std::string_view contentType, std::string_view text, PartList& parts,
                 const CharsetContext& context);

// Offset of the "--" of a boundary line, or the text's size when there is none.
size_t FindBoundaryLine(std::string_view text, std::string_view boundary);

// The raw value of a parameter of a header value ("boundary", "charset", "name", ...).
std::optional<std::string> GetParameter(std::string_view value, std::string_view name);

// GetParameter, then DecodeEncodedWords.
std::optional<std::string> GetDecodedParameter(std::string_view value, std::string_view name,
                                               const CharsetContext& context);

// The file name of a Content-Disposition value given with RFC 2231 sections ("filename*0*=",
// "filename*1=", ..., or "filename*="), joined in section order and decoded.
std::optional<std::string> AssembleExtendedFilename(std::string_view disposition,
                                                    const CharsetContext& context);

// The file extension (with its dot) for a MIME type without parameters, or none.
std::optional<std::string> ExtensionForType(std::string_view type);

}  // namespace postwink
