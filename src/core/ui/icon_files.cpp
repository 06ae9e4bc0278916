#include "core/ui/icon_files.h"

namespace postwink {

std::string IconFolder(const std::string& userIcon, const std::string& programDirectory) {
  if (userIcon.empty()) return programDirectory + "ico\\";
  char last = userIcon.back();
  bool endsWithSeparator = last == '\\' || last == '/';
  return endsWithSeparator ? userIcon : userIcon + "\\";
}

}  // namespace postwink
