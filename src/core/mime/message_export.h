#pragma once
// A message written as a text file into the temporary folder, for the user's editor.

#include <optional>
#include <string>
#include <string_view>

#include "core/mime/attachment_file.h"
#include "core/mime/charset.h"
#include "core/mime/mail_item.h"

namespace postwink {

// Exports of one subject beyond this many files overwrite the last one.
inline constexpr int kExportSuffixLimit = 98;

// The path the item's next export goes to: its subject, or "(no subject)", made a safe file name
// and cut so that the path stays within the system's limit, then ".txt"; while that file exists,
// "[1]", "[2]", ... "[98]" before the extension. When all of them exist the "[98]" one is used.
std::string ExportPath(const MailItem& item, const TempFolder& folder);

// The exported text: the header block, then the body text, every line ending in CR LF. The file
// holds it in code page 932 when every character fits (editors that read only that keep
// working), otherwise in UTF-8 after a byte order mark.
std::string ExportText(const MailItem& item, const std::optional<std::string>& body);

struct ExportResult {
  std::string path;
  bool written = false;
};

// Writes the item's export file (ExportPath, ExportText with the body of GetBodyAndParts).
ExportResult WriteExportFile(const MailItem& item, TempFolder& folder,
                             const CharsetContext& charsets);

// The editor's command line: its path and the file's, each in double quotes.
std::string EditorCommandLine(std::string_view editor, std::string_view path);

// The message shown when the export file cannot be written.
std::string CannotOpenFileText(std::string_view path);

// "エディタの起動に失敗しました" (the editor cannot be started)
inline constexpr const char* kTextEditorFailed = "エディタの起動に失敗しました";

}  // namespace postwink
