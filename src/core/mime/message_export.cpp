#include "core/mime/message_export.h"

#include "core/mime/body_and_parts.h"
#include "core/mime/file_names.h"
#include "core/text/cp932.h"
#include "core/text/utf8.h"

namespace postwink {
namespace {

// A name longer than this less the folder's length is cut one byte shorter, so that even
// folder + name + "[98].txt" stays within the 259 characters of a Windows path.
constexpr size_t kNameRoom = 250;

std::string WithCrlf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string ExportPath(const MailItem& item, const TempFolder& folder) {
  std::string name =
      item.subject && !item.subject->empty() ? *item.subject : std::string("(no subject)");
  SanitizeFileName(name);
  // Windows measures a path in UTF-16 units.
  const size_t folderUnits = CountUtf16Units(folder.path);
  size_t room = folderUnits < kNameRoom ? kNameRoom - folderUnits : 0;
  if (CountUtf16Units(name) > room) {
    name = std::string(CutToUtf16Units(name, room > 0 ? room - 1 : 0));
    SanitizeFileName(name);  // the cut may leave a trailing dot or space
  }
  std::string base = folder.path + name;
  std::string path = base + ".txt";
  for (int n = 1; n <= kExportSuffixLimit && folder.files.Exists(path); ++n) {
    path = base + "[" + std::to_string(n) + "].txt";
  }
  return path;
}

std::string ExportText(const MailItem& item, const std::optional<std::string>& body) {
  // A decoded body, or a header field with a line break in an encoded word, may end its lines
  // with LF alone; editors on Windows want CR LF.
  return WithCrlf(ExportHeaderText(item) + body.value_or(""));
}

ExportResult WriteExportFile(const MailItem& item, TempFolder& folder,
                             const CharsetContext& charsets) {
  ExportResult result;
  result.path = ExportPath(item, folder);
  PartList parts;
  std::optional<std::string> body = GetBodyAndParts(item, parts, charsets);
  result.written =
      folder.files.WriteWhole(result.path, StoredText(ExportText(item, body), folder.codePage));
  return result;
}

std::string EditorCommandLine(std::string_view editor, std::string_view path) {
  return "\"" + std::string(editor) + "\" \"" + std::string(path) + "\"";
}

std::string CannotOpenFileText(std::string_view path) {
  return "Cannot open file = " + std::string(path);
}

}  // namespace postwink
