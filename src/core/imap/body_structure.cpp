#include "core/imap/body_structure.h"

namespace postwink {
namespace {

constexpr size_t kMaxDepth = 32;

bool TextIs(const ImapValue& value, std::string_view upper) {
  if (value.kind != ImapValue::Kind::kString && value.kind != ImapValue::Kind::kAtom) return false;
  if (value.text.size() != upper.size()) return false;
  for (size_t i = 0; i < upper.size(); ++i) {
    char c = value.text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upper[i]) return false;
  }
  return true;
}

// A parameter list ("name" "value" ...) that names a file.
bool NamesFile(const ImapValue& parameters) {
  if (parameters.kind != ImapValue::Kind::kList) return false;
  for (size_t i = 0; i + 1 < parameters.items.size(); i += 2) {
    if (TextIs(parameters.items[i], "NAME") || TextIs(parameters.items[i], "FILENAME") ||
        TextIs(parameters.items[i], "NAME*") || TextIs(parameters.items[i], "FILENAME*")) {
      return true;
    }
  }
  return false;
}

bool LeafIsAttachment(const ImapValue& leaf) {
  if (leaf.items.size() > 2 && NamesFile(leaf.items[2])) return true;
  // The disposition ("attachment" ("filename" "a.pdf")) sits among the extension data; its
  // place depends on the type, so any such pair after the basic fields is taken.
  for (size_t i = 7; i < leaf.items.size(); ++i) {
    const ImapValue& item = leaf.items[i];
    if (item.kind != ImapValue::Kind::kList || item.items.empty()) continue;
    if (TextIs(item.items[0], "ATTACHMENT")) return true;
    if (item.items.size() > 1 && NamesFile(item.items[1])) return true;
  }
  return false;
}

bool Walk(const ImapValue& part, size_t depth) {
  if (part.kind != ImapValue::Kind::kList || part.items.empty() || depth > kMaxDepth) return false;
  if (part.items[0].kind == ImapValue::Kind::kList) {
    for (const ImapValue& child : part.items) {
      if (child.kind == ImapValue::Kind::kList && Walk(child, depth + 1)) return true;
    }
    return false;
  }
  return LeafIsAttachment(part);
}

}  // namespace

StructureSummary SummariseStructure(const ImapValue& structure) {
  StructureSummary summary;
  summary.multipart = structure.kind == ImapValue::Kind::kList && !structure.items.empty() &&
                      structure.items[0].kind == ImapValue::Kind::kList;
  summary.hasAttachment = Walk(structure, 0);
  return summary;
}

}  // namespace postwink
