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
  std::optional<std::string> type;         // Content-Type value, unfolded, parameters included
  std::optional<std::string> name;         // file name, decoded
  std::optional<std::string> encoding;     // Content-Transfer-Encoding value, unfolded
  std::optional<std::string> disposition;  // Content-Disposition value, unfolded
  std::optional<size_t> start;             // first byte of the content
  std::optional<size_t> end;               // the "--" of the next boundary line; none when cut off
  bool inRelated = false;                  // a part of a multipart/related page
  // Listed from an IMAP server's structure: the body section that fetches the content ("2.1");
  // such a part has no start, its content stays on the server until it is opened.
  std::optional<std::string> section;
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

// The value of a parameter of a header value ("boundary", "charset", "name", ...), matched by
// its whole name: a quoted string without its quotes, or the text up to the next ";".
std::optional<std::string> GetParameter(std::string_view value, std::string_view name);

// The parameter in its RFC 2231 form (AssembleExtendedParameter) when it has one, otherwise
// GetParameter, then DecodeEncodedWords.
std::optional<std::string> GetDecodedParameter(std::string_view value, std::string_view name,
                                               const CharsetContext& context);

// A parameter given with RFC 2231 sections ("name*0*=", "name*1=", ..., or "name*="), joined
// in section order and decoded when the first section is extended; none when it has no such
// section.
std::optional<std::string> AssembleExtendedParameter(std::string_view value, std::string_view name,
                                                     const CharsetContext& context);

// Whether a Content-Type value is text: absent, text/..., or no type at all (no "/" before
// its parameters), which RFC 2045 says to read as text/plain.
bool IsTextType(const std::optional<std::string>& type);

// A part's file name: the Content-Disposition's filename, else the Content-Type's name, each in
// any of its forms (GetDecodedParameter).
std::optional<std::string> PartFileName(const std::optional<std::string>& disposition,
                                        const std::optional<std::string>& type,
                                        const CharsetContext& context);

// The file extension (with its dot) for a MIME type without parameters, or none.
std::optional<std::string> ExtensionForType(std::string_view type);

}  // namespace postwink
