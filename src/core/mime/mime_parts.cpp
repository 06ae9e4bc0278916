#include "core/mime/mime_parts.h"

#include <algorithm>
#include <array>
#include <utility>

#include "core/mime/charset.h"
#include "core/mime/encoded_words.h"
#include "core/mime/header_fields.h"

namespace postwink {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

size_t SkipBlanks(std::string_view text, size_t pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  return pos;
}

// A boundary line inside [from, limit): the "--" at from itself, or the first one after a CR LF.
// The whole "--" and boundary must lie inside the range.
size_t FindBoundaryLineIn(std::string_view text, size_t from, size_t limit,
                          std::string_view boundary) {
  auto matchesAt = [&](size_t dashes) {
    return dashes + 2 + boundary.size() <= limit && text.compare(dashes, 2, "--") == 0 &&
           StartsWithNoCase(text.substr(dashes + 2), boundary);
  };
  if (matchesAt(from)) return from;
  std::string_view range = text.substr(0, limit);
  size_t pos = from;
  while (true) {
    size_t hit = range.find("\r\n--", pos);
    if (hit == std::string_view::npos) return limit;
    if (matchesAt(hit + 2)) return hit + 2;
    pos = hit + 2;
  }
}

std::optional<size_t> FindBodyStartIn(std::string_view text, size_t from, size_t limit) {
  std::optional<size_t> start = FindBodyStart(text.substr(from, limit - from));
  if (!start) return std::nullopt;
  return from + *start;
}

std::optional<std::string> PartFileName(const std::optional<std::string>& disposition,
                                        const std::optional<std::string>& type,
                                        const CharsetContext& context) {
  if (disposition) {
    if (auto name = AssembleExtendedFilename(*disposition, context)) return name;
    if (auto name = GetDecodedParameter(*disposition, "filename", context)) return name;
  }
  if (type) return GetDecodedParameter(*type, "name", context);
  return std::nullopt;
}

// The parts of the multipart body in [begin, limit). A part that runs into limit ends there
// when limit is an enclosing boundary line, and has no end when limit is the end of the text.
// Each level scans its own range once, so the work is linear in the text for a bounded depth.
void ListPartsIn(std::string_view contentType, std::string_view text, size_t begin, size_t limit,
                 int depth, PartList& parts, const CharsetContext& context) {
  std::optional<std::string> boundary = GetParameter(contentType, "boundary");
  if (!boundary || boundary->empty()) return;
  size_t p = FindBoundaryLineIn(text, begin, limit, *boundary);
  while (p < limit) {
    p += 2 + boundary->size();
    if (p + 2 <= limit && text.compare(p, 2, "--") == 0) return;  // the closing line

    std::optional<size_t> bodyStart = FindBodyStartIn(text, p, limit);
    std::string_view header = text.substr(p, (bodyStart ? *bodyStart : limit) - p);
    std::optional<std::string> type = GetHeaderField(header, "Content-Type:");

    if (type && StartsWithNoCase(*type, "multipart") && depth < kMaxMultipartNesting) {
      if (!bodyStart) return;
      size_t next = FindBoundaryLineIn(text, *bodyStart, limit, *boundary);
      ListPartsIn(*type, text, *bodyStart, next, depth + 1, parts, context);
      p = next;
      continue;
    }

    MimePart part;
    part.encoding = GetHeaderField(header, "Content-Transfer-Encoding:");
    part.name = PartFileName(GetHeaderField(header, "Content-Disposition:"), type, context);
    part.type = std::move(type);
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
  size_t pos = SkipBlanks(value, 0);
  if (pos >= value.size()) return std::nullopt;
  while (!StartsWithNoCase(value.substr(pos), name)) {
    size_t semicolon = value.find(';', pos);
    if (semicolon == std::string_view::npos) return std::nullopt;
    pos = SkipBlanks(value, semicolon + 1);
    if (pos >= value.size()) return std::nullopt;
  }
  pos = SkipBlanks(value, pos + name.size());
  if (pos < value.size() && value[pos] == '=') ++pos;
  pos = SkipBlanks(value, pos);
  if (pos < value.size() && value[pos] == '"') ++pos;
  size_t end = value.find_first_of("\";", pos);
  if (end == std::string_view::npos) end = value.size();
  return std::string(value.substr(pos, end - pos));
}

std::optional<std::string> GetDecodedParameter(std::string_view value, std::string_view name,
                                               const CharsetContext& context) {
  std::optional<std::string> raw = GetParameter(value, name);
  if (!raw) return std::nullopt;
  return DecodeEncodedWords(*raw, context);
}

std::optional<std::string> AssembleExtendedFilename(std::string_view value,
                                                    const CharsetContext& context) {
  if (value.empty()) return std::nullopt;
  // Sections as (number, value) pairs sorted afterwards, so a huge number costs nothing.
  std::vector<std::pair<long, std::string_view>> sections;
  bool firstExtended = false;
  constexpr std::string_view kName = "filename*";
  size_t pos = 0;
  while (pos < value.size()) {
    if (!StartsWithNoCase(value.substr(pos), kName)) {
      size_t semicolon = value.find(';', pos);
      if (semicolon == std::string_view::npos) break;
      pos = SkipBlanks(value, semicolon + 1);
      continue;
    }
    size_t q = pos + kName.size();
    long number = 0;
    bool extended;
    if (q < value.size() && value[q] == '=') {
      extended = true;  // filename*= is the extended single form
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
      sections.emplace_back(number, value.substr(q, end - q));
    }
    pos = end;
  }
  if (sections.empty()) return std::nullopt;
  // Any order in the text; a repeated number replaces the earlier value.
  std::stable_sort(sections.begin(), sections.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::string joined;
  for (size_t i = 0; i < sections.size(); ++i) {
    if (i + 1 < sections.size() && sections[i + 1].first == sections[i].first) continue;
    joined.append(sections[i].second);
  }
  if (!firstExtended) return joined;
  return DecodeRfc2231Value(joined, context);
}

std::optional<std::string> ExtensionForType(std::string_view type) {
  for (const ExtensionRow& row : kExtensions) {
    if (EqualsNoCase(type, row.type)) return std::string(row.extension);
  }
  return std::nullopt;
}

}  // namespace postwink
