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

namespace {

// The file name a part is written under: its own, else one made from its type.
std::optional<std::string> AttachmentFileName(const MimePart& part) {
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
  return name;
}

}  // namespace

std::optional<std::string> ExtractAttachment(const MailItem& item, const PartList& parts,
                                             size_t index, TempFolder& folder) {
  if (index >= parts.size()) return std::nullopt;
  const MimePart& part = parts[index];
  // Data that is not transfer-encoded is written whole, NUL bytes included.
  std::string data = item.previewText ? DecodePartContent(*item.previewText, part) : std::string();
  return WriteAttachmentFile(AttachmentFileName(part), data, folder);
}

std::optional<std::string> WriteFetchedPart(const MimePart& part, std::string_view content,
                                            TempFolder& folder) {
  return WriteAttachmentFile(AttachmentFileName(part), DecodeContent(content, part), folder);
}

namespace {

std::optional<std::string> NewSubfolder(TempFolder& folder) {
  constexpr int kMostFolders = 100000;
  for (int n = 1; n <= kMostFolders; ++n) {
    std::string path = folder.path + "a" + std::to_string(n);
    if (folder.files.Exists(path)) continue;
    path += folder.files.Separator();
    // A free name that cannot be made is a folder that cannot be written: no use going on.
    if (!folder.files.CreateDirectory(path)) return std::nullopt;
    return path;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> WriteAttachmentFile(std::optional<std::string> name,
                                               std::string_view data, TempFolder& folder) {
  std::string path;
  if (name && !name->empty()) {
    SanitizeFileName(*name);
    std::optional<std::string> own = NewSubfolder(folder);
    if (!own) return std::nullopt;
    path = *own + *name;
  } else {
    std::optional<std::string> unique = folder.files.CreateUniqueFile(folder.path, "Postwink");
    if (!unique) return std::nullopt;
    path = std::move(*unique);
  }
  if (!folder.files.WriteWhole(path, data)) return std::nullopt;
  return path;
}

}  // namespace postwink
