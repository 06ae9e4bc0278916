#include "core/mime/header_fields.h"

#include <cstring>

#include "core/mime/encoded_words.h"

namespace postwink {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

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
    pos = crlf + 3;  // the CR LF and the one space or tab of the fold
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
  size_t pos = text.find("\r\n\r\n");
  if (pos == std::string_view::npos) return std::nullopt;
  return pos + 4;
}

}  // namespace postwink
