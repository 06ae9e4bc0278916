#include "core/mime/header_fields.h"

#include <cstring>

#include "core/mime/encoded_words.h"

namespace postwink {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The start of a field: a name of printable characters other than ":" and its colon (old mail
// has blanks before the colon), or the "From " line of a mailbox file.
bool IsFieldLine(std::string_view line) {
  if (line.substr(0, 5) == "From ") return true;
  size_t i = 0;
  while (i < line.size() && line[i] > ' ' && line[i] < '\x7F' && line[i] != ':') ++i;
  if (i == 0) return false;
  while (i < line.size() && IsBlank(line[i])) ++i;
  return i < line.size() && line[i] == ':';
}

// Offset of the next CR LF at or after pos that is not followed by a space or a tab (the end of
// a logical line), or the text's size.
size_t EndOfLogicalLine(std::string_view text, size_t pos) {
  while (true) {
    size_t crlf = text.find("\r\n", pos);
    if (crlf == std::string_view::npos) return text.size();
    if (crlf + 2 < text.size() && IsBlank(text[crlf + 2])) {
      pos = crlf + 3;
      continue;
    }
    return crlf;
  }
}

// Looks for the field from the start of the line at pos onwards.
std::optional<size_t> FindFieldFrom(std::string_view text, std::string_view name, size_t pos) {
  while (true) {
    if (StartsWithNoCase(text.substr(pos), name)) {
      pos += name.size();
      while (pos < text.size() && IsBlank(text[pos])) ++pos;
      return pos;
    }
    size_t end = EndOfLogicalLine(text, pos);
    if (end >= text.size()) return std::nullopt;
    pos = end + 2;
    if (pos >= text.size() || text.compare(pos, 2, "\r\n") == 0) return std::nullopt;
  }
}

// Appends the unfolded value that starts at pos; returns the offset where the value ends.
size_t AppendUnfolded(std::string_view text, size_t pos, std::string& out) {
  size_t end = EndOfLogicalLine(text, pos);
  while (pos < end) {
    size_t crlf = text.find("\r\n", pos);
    if (crlf == std::string_view::npos || crlf >= end) {
      out.append(text.substr(pos, end - pos));
      break;
    }
    out.append(text.substr(pos, crlf - pos));
    pos = crlf + 2;  // unfolding removes the CR LF only; the fold's space or tab stays
  }
  return end;
}

}  // namespace

std::optional<size_t> FindHeaderField(std::string_view text, std::string_view name) {
  return FindFieldFrom(text, name, 0);
}

std::optional<std::string> GetHeaderField(std::string_view text, std::string_view name) {
  std::optional<size_t> pos = FindHeaderField(text, name);
  if (!pos) return std::nullopt;
  std::string value;
  AppendUnfolded(text, *pos, value);
  return value;
}

std::optional<std::string> GetHeaderFieldAll(std::string_view text, std::string_view name) {
  std::optional<std::string> joined;
  size_t from = 0;
  while (true) {
    std::optional<size_t> pos = FindFieldFrom(text, name, from);
    if (!pos) break;
    if (joined) {
      joined->push_back(',');
    } else {
      joined.emplace();
    }
    size_t end = AppendUnfolded(text, *pos, *joined);
    // Go on from the line after this value, unless the header ends there.
    if (end + 2 >= text.size() || text.compare(end + 2, 2, "\r\n") == 0) break;
    from = end + 2;
  }
  return joined;
}

std::optional<std::string> GetDecodedField(std::string_view text, std::string_view name, bool all,
                                           const CharsetContext& context) {
  std::optional<std::string> raw = all ? GetHeaderFieldAll(text, name) : GetHeaderField(text, name);
  if (!raw) return std::nullopt;
  return DecodeEncodedWords(*raw, context);
}

std::optional<size_t> FindBodyStart(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t crlf = text.find("\r\n", pos);
    const std::string_view line =
        text.substr(pos, (crlf == std::string_view::npos ? text.size() : crlf) - pos);
    if (line.empty()) return crlf + 2;
    // A line of blanks continues the field before it (RFC 5322's obsolete folding), as does
    // any line that starts with a blank.
    if (!IsBlank(line[0]) && !IsFieldLine(line)) return pos;
    if (crlf == std::string_view::npos) return std::nullopt;
    pos = crlf + 2;
  }
  return std::nullopt;
}

}  // namespace postwink
