#pragma once
// The log file: one time-stamped entry per call, appended by opening and closing the file each
// time so that a viewer can read it at any moment and nothing is lost on an abrupt end.

#include <string>
#include <string_view>

#include "core/platform/system.h"

namespace postwink {

inline constexpr const char* kLogFileName = "Postwink.log";

class LogFile {
 public:
  // The file keeps its code page 932 format: a character 932 lacks is written as "?", as the log
  // records what the server sent and no reader expects anything else there.
  LogFile(FileSystem& files, const Clock& clock, const CodePage& codePage)
      : files_(files), clock_(clock), codePage_(codePage) {}

  // folder + one separator + fileName; an empty folder or file name leaves the path as it was.
  void SetLogPath(std::string_view folder, std::string_view fileName);
  const std::string& Path() const { return path_; }
  // Start-up begins each logging run with a fresh file.
  bool DeleteLogFile();

  // "hh:mm:ss_mmm:" + text, then CR LF unless the text ends with a line feed. False when there
  // is no path or the file could not be written.
  bool LogLine(std::string_view text);
  // A line with the time stamp alone, then 32 hyphens, the locale's date and time and the label.
  bool LogSeparator(std::string_view label);

 private:
  FileSystem& files_;
  const Clock& clock_;
  const CodePage& codePage_;
  std::string path_;
};

}  // namespace postwink
