// A whole message from a hostile server: parsing into the record, the part list with the body
// text, and every part extracted into a file. Files go to memory. The first byte chooses
// SHOWHEADER and LOG, so both layouts of the preview text and the dump are covered.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "core/mime/attachment_file.h"
#include "core/mime/body_and_parts.h"
#include "core/mime/parse_message.h"

namespace {

using namespace postwink;

class MemoryFiles final : public FileSystem {
 public:
  std::optional<std::string> ReadAll(const std::string& path) const override {
    auto found = files_.find(path);
    if (found == files_.end()) return std::nullopt;
    return found->second;
  }
  bool WriteAtomic(const std::string& path, std::string_view data) override {
    files_[path] = std::string(data);
    return true;
  }
  bool Append(const std::string& path, std::string_view data) override {
    files_[path] += data;
    return true;
  }
  bool Exists(const std::string& path) const override { return files_.count(path) != 0; }
  bool IsDirectory(const std::string&) const override { return false; }
  bool RemoveFile(const std::string& path) override { return files_.erase(path) != 0; }
  bool CreateDirectory(const std::string&) override { return true; }
  bool RemoveTree(const std::string&) override { return true; }
  std::vector<std::string> ListDirectory(const std::string&) const override { return {}; }
  char Separator() const override { return '/'; }

 private:
  std::map<std::string, std::string> files_;
};

class FixedZone final : public TimeZoneSource {
 public:
  std::optional<int> LocalOffsetMinutes() const override { return 540; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const CharsetContext charsets{PlatformSystem().codePage, PlatformCharsetConverter()};
  static FixedZone source;
  LocalZone zone{source};
  MemoryFiles files;
  ParseOptions options(charsets, zone);
  options.showHeader = (data[0] & 1) != 0;
  options.log = (data[0] & 2) != 0;
  options.files = &files;
  options.tempFolder = "/tmp/Postwink/";
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  MailItem item;
  ParseMessage(item, text, "1", options);
  PartList parts;
  GetBodyAndParts(item, parts, charsets);
  const size_t previewSize = item.previewText ? item.previewText->size() : 0;
  TempFolder folder{files, options.tempFolder, charsets.codePage};
  for (size_t i = 0; i < parts.size(); ++i) {
    const MimePart& part = parts[i];
    if (part.start && *part.start > previewSize) abort();
    if (part.end && (*part.end > previewSize || (part.start && *part.end < *part.start))) abort();
    std::optional<std::string> path = ExtractAttachment(item, parts, i, folder);
    // Whatever the name, the file lies in the temporary folder or in one folder of the
    // program's inside it.
    if (path) {
      if (path->compare(0, options.tempFolder.size(), options.tempFolder) != 0) abort();
      const std::string_view rest = std::string_view(*path).substr(options.tempFolder.size());
      const size_t slash = rest.find('/');
      if (slash != std::string_view::npos &&
          (rest.find('/', slash + 1) != std::string_view::npos || rest[0] != 'a' ||
           rest.find_first_not_of("0123456789", 1) != slash)) {
        abort();
      }
    }
  }
  AddressTipText(item);
  ExportHeaderText(item);
  if (item.from) FromDisplayName(*item.from);
  return 0;
}
