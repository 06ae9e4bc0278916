#include "core/mime/attachment_file.h"

#include "core/mime/body_and_parts.h"
#include "core/mime/file_names.h"
#include "core/mime/header_fields.h"
#include "core/text/utf8.h"

namespace postwink {
namespace {

constexpr std::string_view kHyphenLine = "-------------------------------------------\r\n";
constexpr size_t kAttachmentNameLimit = 206;

}  // namespace

std::string ExportHeaderText(const MailItem& item) {
  std::string text(kHyphenLine);
  text += "From   : " + item.from.value_or("") + "\r\n";
  text += "To     : " + item.to.value_or("") + "\r\n";
  if (item.cc) text += "CC     : " + *item.cc + "\r\n";
  text += "Date   : " + item.dateText.value_or("") + "\r\n";
  text += "Subject: " +
          (item.subject && !item.subject->empty() ? *item.subject : std::string("(no subject)")) +
          "\r\n";
  text += kHyphenLine;
  return text;
}

std::optional<std::string> ExtractAttachment(const MailItem& item, const PartList& parts,
                                             size_t index, TempFolder& folder) {
  if (index >= parts.size()) return std::nullopt;
  const MimePart& part = parts[index];
  // Data that is not transfer-encoded is written whole, NUL bytes included.
  std::string data = item.previewText ? DecodePartContent(*item.previewText, part) : std::string();

  std::optional<std::string> name = part.name;
  if (!name && part.type) {
    std::string_view bare = std::string_view(*part.type).substr(0, part.type->find(';'));
    name = ExtensionForType(bare);
    if (!name) name = *part.type;
  }
  if (name) {
    *name = std::string(CutToUtf16Units(*name, kAttachmentNameLimit));
    SanitizeFileName(*name);
  }
  return WriteAttachmentFile(std::move(name), data, folder);
}

std::optional<std::string> WriteAttachmentFile(std::optional<std::string> name,
                                               std::string_view data, TempFolder& folder) {
  std::string path;
  if (name && !name->empty()) {
    SanitizeFileName(*name);
    path = folder.path + *name;
  } else {
    std::optional<std::string> unique = folder.files.CreateUniqueFile(folder.path, "Postwink");
    if (!unique) return std::nullopt;
    path = std::move(*unique);
  }
  if (!folder.files.WriteWhole(path, data)) return std::nullopt;
  return path;
}

}  // namespace postwink
