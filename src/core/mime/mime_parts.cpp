#include "core/mime/mime_parts.h"

#include <algorithm>
#include <array>
#include <utility>

#include "core/mime/charset.h"
#include "core/mime/encoded_words.h"
#include "core/mime/header_fields.h"
#include "core/mime/transfer_encoding.h"

namespace postwink {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

size_t SkipBlanks(std::string_view text, size_t pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  return pos;
}

// Whether a boundary line starts at pos, inside [.., limit): "--", the boundary (compared
// without regard to case), then "--" for the closing line, blanks and the end of the line. A
// line that goes on with other text holds another boundary that begins with this one.
bool IsBoundaryLineAt(std::string_view text, size_t pos, size_t limit, std::string_view boundary) {
  if (pos + 2 + boundary.size() > limit || text.compare(pos, 2, "--") != 0 ||
      !StartsWithNoCase(text.substr(pos + 2), boundary)) {
    return false;
  }
  size_t end = pos + 2 + boundary.size();
  if (text.compare(end, 2, "--") == 0) end += 2;
  while (end < text.size() && IsBlank(text[end])) ++end;
  return end >= text.size() || text.compare(end, 2, "\r\n") == 0;
}

// A boundary line inside [from, limit): the "--" at from itself, or the first one after a CR LF.
size_t FindBoundaryLineIn(std::string_view text, size_t from, size_t limit,
                          std::string_view boundary) {
  if (IsBoundaryLineAt(text, from, limit, boundary)) return from;
  std::string_view range = text.substr(0, limit);
  size_t pos = from;
  while (true) {
    size_t hit = range.find("\r\n--", pos);
    if (hit == std::string_view::npos) return limit;
    if (IsBoundaryLineAt(text, hit + 2, limit, boundary)) return hit + 2;
    pos = hit + 2;
  }
}

// The closing line of the multipart whose boundary lines start from `from`, or limit.
size_t FindClosingLineIn(std::string_view text, size_t from, size_t limit,
                         std::string_view boundary) {
  size_t pos = FindBoundaryLineIn(text, from, limit, boundary);
  while (pos < limit && text.compare(pos + 2 + boundary.size(), 2, "--") != 0) {
    pos = FindBoundaryLineIn(text, pos + 2 + boundary.size(), limit, boundary);
  }
  return pos;
}

// The content start of a part whose boundary line ends at or after from: the part's header
// begins on the next line. None when the text within limit ends inside the header.
std::optional<size_t> FindPartBodyStart(std::string_view text, size_t from, size_t limit) {
  const size_t crlf = text.substr(0, limit).find("\r\n", from);
  if (crlf == std::string_view::npos) return std::nullopt;
  const size_t header = crlf + 2;
  std::optional<size_t> start = FindBodyStart(text.substr(header, limit - header));
  if (!start) return std::nullopt;
  return header + *start;
}

// Offset just past the ";" that ends the parameter at pos, or npos. A ";" inside a quoted
// string does not count, unless the quote is never closed.
size_t NextParameter(std::string_view value, size_t pos) {
  while (pos < value.size()) {
    const char c = value[pos];
    if (c == ';') return pos + 1;
    if (c == '"') {
      size_t q = pos + 1;
      while (q < value.size() && value[q] != '"') q += value[q] == '\\' ? 2 : 1;
      if (q < value.size()) pos = q;
    }
    ++pos;
  }
  return std::string_view::npos;
}

// The value at pos: a quoted string without its quotes and backslashes (a quote that is never
// closed runs to the next ";"), or the text up to the next ";" without trailing blanks.
std::string ParameterValueAt(std::string_view value, size_t pos) {
  if (pos < value.size() && value[pos] == '"') {
    std::string out;
    for (size_t q = pos + 1; q < value.size(); ++q) {
      if (value[q] == '"') return out;
      if (value[q] == '\\' && q + 1 < value.size()) ++q;
      out.push_back(value[q]);
    }
    ++pos;
  }
  size_t end = value.find(';', pos);
  if (end == std::string_view::npos) end = value.size();
  while (end > pos && IsBlank(value[end - 1])) --end;
  return std::string(value.substr(pos, end - pos));
}

// Calls visit(pos) at the start of each parameter (the value's own start first) until it
// returns true.
template <typename Visit>
void ForEachParameter(std::string_view value, Visit visit) {
  for (size_t pos = SkipBlanks(value, 0); pos < value.size();) {
    if (visit(pos)) return;
    const size_t next = NextParameter(value, pos);
    if (next == std::string_view::npos) return;
    pos = SkipBlanks(value, next);
  }
}

std::optional<std::string> Boundary(std::string_view contentType, const CharsetContext& context) {
  if (std::optional<std::string> boundary = GetParameter(contentType, "boundary")) return boundary;
  return AssembleExtendedParameter(contentType, "boundary", context);
}

// The parts of the multipart body in [begin, limit). A part that runs into limit ends there
// when limit is an enclosing boundary line, and has no end when limit is the end of the text.
// Each level scans its own range once, so the work is linear in the text for a bounded depth.
void ListPartsIn(std::string_view contentType, std::string_view text, size_t begin, size_t limit,
                 int depth, PartList& parts, const CharsetContext& context) {
  std::optional<std::string> boundary = Boundary(contentType, context);
  if (!boundary || boundary->empty()) return;
  const bool related = StartsWithNoCase(contentType, "multipart/related");
  const bool digest = StartsWithNoCase(contentType, "multipart/digest");
  size_t p = FindBoundaryLineIn(text, begin, limit, *boundary);
  while (p < limit) {
    p += 2 + boundary->size();
    if (p + 2 <= limit && text.compare(p, 2, "--") == 0) return;  // the closing line

    // Two boundary lines in a row enclose nothing, not even a header: no part.
    const size_t crlf = text.substr(0, limit).find("\r\n", p);
    if (crlf != std::string_view::npos && IsBoundaryLineAt(text, crlf + 2, limit, *boundary)) {
      p = crlf + 2;
      continue;
    }

    std::optional<size_t> bodyStart = FindPartBodyStart(text, p, limit);
    std::string_view header = text.substr(p, (bodyStart ? *bodyStart : limit) - p);
    std::optional<std::string> type = GetHeaderField(header, "Content-Type:");
    if (!type && digest) type = "message/rfc822";  // the default in a digest (RFC 2046)

    if (type && StartsWithNoCase(*type, "multipart") && depth < kMaxMultipartNesting) {
      if (!bodyStart) return;
      std::optional<std::string> inner = Boundary(*type, context);
      if (inner && EqualsNoCase(*inner, *boundary)) {
        // A nested multipart under its parent's own boundary (old Mac mail programs write
        // them): it runs to its closing line, and the parent's parts go on after that.
        const size_t close = FindClosingLineIn(text, *bodyStart, limit, *boundary);
        ListPartsIn(*type, text, *bodyStart, close, depth + 1, parts, context);
        if (close >= limit) return;
        p = FindBoundaryLineIn(text, close + 2 + boundary->size(), limit, *boundary);
        continue;
      }
      size_t next = FindBoundaryLineIn(text, *bodyStart, limit, *boundary);
      ListPartsIn(*type, text, *bodyStart, next, depth + 1, parts, context);
      p = next;
      continue;
    }

    MimePart part;
    part.encoding = GetHeaderField(header, "Content-Transfer-Encoding:");
    part.disposition = GetHeaderField(header, "Content-Disposition:");
    part.name = PartFileName(part.disposition, type, context);
    part.type = std::move(type);
    part.inRelated = related;
    part.start = bodyStart;
    parts.push_back(std::move(part));
    if (!bodyStart) return;
    p = FindBoundaryLineIn(text, *bodyStart, limit, *boundary);
    if (p >= limit) {
      if (limit < text.size()) parts.back().end = limit;
      return;
    }
    parts.back().end = p;
  }
}

struct ExtensionRow {
  std::string_view type;
  std::string_view extension;
};

constexpr std::array<ExtensionRow, 32> kExtensions{{
    {"application/mac-binhex40", ".hqx"},
    {"application/postscript", ".eps"},
    {"application/postscript", ".ps"},
    {"application/postscript", ".ai"},
    {"application/rtf", ".rtf"},
    {"application/x-stuffit", ".sit"},
    {"application/x-uuencode", ".uue"},
    {"application/x-uuencode", ".uu"},
    {"application/x-zip-compressed", ".zip"},
    {"audio/basic", ".au"},
    {"audio/basic", ".snd"},
    {"audio/x-aiff", ".aiff"},
    {"audio/x-aiff", ".aif"},
    {"audio/x-pn-realaudio", ".ra"},
    {"audio/x-pn-realaudio", ".ram"},
    {"audio/x-wav", ".wav"},
    {"image/gif", ".gif"},
    {"image/jpeg", ".jpg"},
    {"image/jpeg", ".jpeg"},
    {"image/png", ".png"},
    {"image/tiff", ".tiff"},
    {"image/tiff", ".tif"},
    {"message/rfc822", ".eml"},
    {"text/html", ".html"},
    {"text/html", ".htm"},
    {"text/plain", ".txt"},
    {"text/x-vcard", ".vcf"},
    {"video/mpeg", ".mpg"},
    {"video/mpeg", ".mpeg"},
    {"video/quicktime", ".qt"},
    {"video/quicktime", ".mov"},
    {"video/x-msvideo", ".avi"},
}};

}  // namespace

size_t ListParts(std::string_view contentType, std::string_view text, PartList& parts,
                 const CharsetContext& context) {
  ListPartsIn(contentType, text, 0, text.size(), 0, parts, context);
  return parts.size();
}

size_t FindBoundaryLine(std::string_view text, std::string_view boundary) {
  return FindBoundaryLineIn(text, 0, text.size(), boundary);
}

std::optional<std::string> GetParameter(std::string_view value, std::string_view name) {
  std::optional<std::string> found;
  ForEachParameter(value, [&](size_t pos) {
    if (!StartsWithNoCase(value.substr(pos), name)) return false;
    const size_t equals = SkipBlanks(value, pos + name.size());
    if (equals >= value.size() || value[equals] != '=') return false;
    found = ParameterValueAt(value, SkipBlanks(value, equals + 1));
    return true;
  });
  return found;
}

std::optional<std::string> GetDecodedParameter(std::string_view value, std::string_view name,
                                               const CharsetContext& context) {
  if (std::optional<std::string> extended = AssembleExtendedParameter(value, name, context)) {
    return extended;
  }
  std::optional<std::string> raw = GetParameter(value, name);
  if (!raw) return std::nullopt;
  return DecodeEncodedWords(*raw, context);
}

std::optional<std::string> AssembleExtendedParameter(std::string_view value, std::string_view name,
                                                     const CharsetContext& context) {
  // Sections as (number, value) pairs sorted afterwards, so a huge number costs nothing.
  struct Section {
    long number;
    std::string_view value;
    bool extended;
  };
  std::vector<Section> sections;
  bool firstExtended = false;
  const std::string starred = std::string(name) + "*";
  ForEachParameter(value, [&](size_t pos) {
    if (!StartsWithNoCase(value.substr(pos), starred)) return false;
    size_t q = pos + starred.size();
    long number = 0;
    bool extended;
    if (q < value.size() && value[q] == '=') {
      extended = true;  // name*= is the extended single form
    } else {
      bool negative = q < value.size() && value[q] == '-';
      if (negative) ++q;
      while (q < value.size() && value[q] >= '0' && value[q] <= '9') {
        if (number < 1000000) number = number * 10 + (value[q] - '0');
        ++q;
      }
      if (negative) number = -number;
      size_t mark = value.find_first_of("*=", q);
      extended = mark != std::string_view::npos && value[mark] == '*';
      if (mark != std::string_view::npos) q = mark;
    }
    while (q < value.size() && (value[q] == '"' || value[q] == '*' || value[q] == '=')) ++q;
    size_t end = value.find_first_of("\";", q);
    if (end == std::string_view::npos) end = value.size();
    if (number >= 0) {
      if (number == 0) firstExtended = extended;
      sections.push_back({number, value.substr(q, end - q), extended});
    }
    return false;
  });
  if (sections.empty()) return std::nullopt;
  // Any order in the text; a repeated number replaces the earlier value.
  std::stable_sort(sections.begin(), sections.end(),
                   [](const Section& a, const Section& b) { return a.number < b.number; });
  // An extended first section carries the charset, and then the whole join is decoded (later
  // sections too, marked or not, as senders are careless about the marks). Otherwise each
  // marked section is percent-decoded on its own.
  std::string joined;
  for (size_t i = 0; i < sections.size(); ++i) {
    if (i + 1 < sections.size() && sections[i + 1].number == sections[i].number) continue;
    if (!firstExtended && sections[i].extended) {
      joined.append(PercentDecode(sections[i].value));
    } else {
      joined.append(sections[i].value);
    }
  }
  if (!firstExtended) return joined;
  return DecodeRfc2231Value(joined, context);
}

bool IsTextType(const std::optional<std::string>& type) {
  if (!type || StartsWithNoCase(*type, "text")) return true;
  return type->substr(0, type->find(';')).find('/') == std::string::npos;
}

std::optional<std::string> PartFileName(const std::optional<std::string>& disposition,
                                        const std::optional<std::string>& type,
                                        const CharsetContext& context) {
  if (disposition) {
    if (auto name = GetDecodedParameter(*disposition, "filename", context)) return name;
  }
  if (type) return GetDecodedParameter(*type, "name", context);
  return std::nullopt;
}

std::optional<std::string> ExtensionForType(std::string_view type) {
  for (const ExtensionRow& row : kExtensions) {
    if (EqualsNoCase(type, row.type)) return std::string(row.extension);
  }
  return std::nullopt;
}

}  // namespace postwink
