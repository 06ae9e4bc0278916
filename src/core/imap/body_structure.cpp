#include "core/imap/body_structure.h"

#include <string>
#include <string_view>

#include "core/mime/body_and_parts.h"

namespace postwink {
namespace {

constexpr size_t kMaxDepth = 32;

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool EqualsUpper(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (size_t i = 0; i < upper.size(); ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upper[i]) return false;
  }
  return true;
}

std::string_view TextOf(const ImapValue& value) { return value.Text().value_or(""); }

// A token that may stand unquoted in a header value: an RFC 2231 extended value is one.
bool IsToken(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c <= ' ' || c == ';' || c == '"' || c == '\\' || c == 0x7f) return false;
  }
  return true;
}

// "; name=value" for each pair of a parameter list, as a header would carry them.
std::string ParameterText(const ImapValue& parameters) {
  std::string text;
  if (parameters.kind != ImapValue::Kind::kList) return text;
  for (size_t i = 0; i + 1 < parameters.items.size(); i += 2) {
    const std::string_view name = TextOf(parameters.items[i]);
    const std::string_view value = TextOf(parameters.items[i + 1]);
    if (name.empty() || !IsToken(name)) continue;
    text += "; ";
    text += name;
    text += '=';
    if (name.ends_with('*') && IsToken(value)) {
      text += value;
      continue;
    }
    text += '"';
    for (char c : value) {
      if (c == '"' || c == '\\') text += '\\';
      // A header value is one line; a server's CR or LF in a name must not make a second one.
      text += (c == '\r' || c == '\n') ? ' ' : c;
    }
    text += '"';
  }
  return text;
}

// The name as the parameters carry it, undecoded; what judges a part named.
std::optional<std::string> RawName(const MimePart& part) {
  for (const auto& [value, key] :
       {std::pair{&part.disposition, "filename"}, std::pair{&part.type, "name"}}) {
    if (!*value) continue;
    for (std::string name : {std::string(key), std::string(key) + "*", std::string(key) + "*0",
                             std::string(key) + "*0*"}) {
      if (std::optional<std::string> found = GetParameter(**value, name)) return found;
    }
  }
  return std::nullopt;
}

struct Walker {
  PartList& parts;

  void Walk(const ImapValue& part, const std::string& section, bool related, size_t depth) {
    if (part.kind != ImapValue::Kind::kList || part.items.empty() || depth > kMaxDepth) return;
    if (parts.size() >= kMaxStructureParts) return;
    if (part.items[0].kind == ImapValue::Kind::kList) {
      // Children first, then the subtype ("mixed", "related") and its extension data.
      size_t children = 0;
      while (children < part.items.size() && part.items[children].kind == ImapValue::Kind::kList) {
        ++children;
      }
      const bool isRelated =
          children < part.items.size() && EqualsUpper(TextOf(part.items[children]), "RELATED");
      for (size_t i = 0; i < children; ++i) {
        const std::string child = (section.empty() ? "" : section + ".") + std::to_string(i + 1);
        Walk(part.items[i], child, isRelated, depth + 1);
      }
      return;
    }
    Leaf(part, section.empty() ? "1" : section, related);
  }

  void Leaf(const ImapValue& leaf, const std::string& section, bool related) {
    MimePart part;
    const auto at = [&](size_t i) -> const ImapValue* {
      return i < leaf.items.size() ? &leaf.items[i] : nullptr;
    };
    const std::string type = Lower(TextOf(leaf.items[0]));
    const std::string subtype = at(1) ? Lower(TextOf(*at(1))) : std::string();
    if (!type.empty() && !subtype.empty()) {
      part.type = type + "/" + subtype + (at(2) ? ParameterText(*at(2)) : std::string());
    }
    if (at(5) && at(5)->Text()) part.encoding = std::string(*at(5)->Text());
    // The disposition is extension data after the type's own fields: a text part's line count,
    // a message/rfc822's envelope, structure and line count, and the MD5 (RFC 3501, 7.4.2).
    size_t disposition = 8;
    if (type == "text") disposition = 9;
    if (type == "message" && subtype == "rfc822") disposition = 11;
    if (const ImapValue* item = at(disposition); item && item->kind == ImapValue::Kind::kList &&
                                                 !item->items.empty() && item->items[0].Text()) {
      part.disposition = Lower(TextOf(item->items[0])) +
                         (item->items.size() > 1 ? ParameterText(item->items[1]) : std::string());
    }
    part.name = RawName(part);
    part.inRelated = related;
    part.section = section;
    parts.push_back(std::move(part));
  }
};

}  // namespace

StructureSummary SummariseStructure(const ImapValue& structure) {
  StructureSummary summary;
  summary.multipart = structure.kind == ImapValue::Kind::kList && !structure.items.empty() &&
                      structure.items[0].kind == ImapValue::Kind::kList;
  Walker{summary.parts}.Walk(structure, "", false, 0);
  std::optional<size_t> body;
  for (size_t i = 0; i < summary.parts.size() && !body; ++i) {
    if (IsBodyCandidate(summary.parts[i])) body = i;
  }
  summary.hasAttachment = HasAttachment(summary.parts, body);
  return summary;
}

}  // namespace postwink
