#include "core/config/log_file.h"

#include <cstdio>

#include "core/text/cp932.h"

namespace postwink {
namespace {

// Length of folder without its trailing separators.
size_t WithoutTrailingSeparators(std::string_view folder, char separator) {
  size_t keep = folder.size();
  // Windows takes "/" as a separator too.
  while (keep > 0 &&
         (folder[keep - 1] == separator || (separator == '\\' && folder[keep - 1] == '/'))) {
    --keep;
  }
  return keep;
}

}  // namespace

void LogFile::SetLogPath(std::string_view folder, std::string_view fileName) {
  if (folder.empty() || fileName.empty()) return;
  char separator = files_.Separator();
  path_ = std::string(folder.substr(0, WithoutTrailingSeparators(folder, separator)));
  path_ += separator;
  path_ += fileName;
}

bool LogFile::DeleteLogFile() {
  if (path_.empty() || !files_.Exists(path_)) return true;
  return files_.RemoveFile(path_);
}

bool LogFile::LogLine(std::string_view text) {
  if (path_.empty()) return false;
  LocalTime t = clock_.Now();
  char stamp[48];
  int n = std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d_%03d:", t.hour, t.minute, t.second,
                        t.millisecond);
  if (n < 0 || static_cast<size_t>(n) >= sizeof stamp) return false;
  std::string entry(stamp, static_cast<size_t>(n));
  entry += ToCp932Lossy(text, codePage_);
  if (text.empty() || text.back() != '\n') entry += "\r\n";
  return files_.Append(path_, entry);
}

bool LogFile::LogSeparator(std::string_view label) {
  std::string dateTime = clock_.LocaleDateTimeText();
  if (dateTime.empty()) return false;
  std::string text = "\r\n" + std::string(32, '-') + " " + dateTime + " (";
  text += label;
  text += ")";
  return LogLine(text);
}

}  // namespace postwink
