#include <cstdio>

#include "core/platform/system.h"

namespace postwink {

bool FileSystem::WriteWhole(const std::string& path, std::string_view data) {
  return WriteAtomic(path, data);
}

std::optional<std::string> FileSystem::CreateUniqueFile(const std::string& folder,
                                                        std::string_view prefix) {
  std::string head = folder + std::string(prefix.substr(0, 3));
  for (unsigned number = 1; number <= 0xFFFF; ++number) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%X", number);
    std::string path = head + digits + ".tmp";
    if (Exists(path)) continue;
    if (WriteAtomic(path, {})) return path;
    return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace postwink
