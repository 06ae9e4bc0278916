#include "core/config/profile.h"

#include "core/config/ini_file.h"

namespace postwink {

std::optional<std::string> IniFileProfile::GetString(std::string_view section,
                                                     std::string_view key) const {
  IniFile ini;
  ini.Load(files_, codePage_, path_);
  return ini.Find(section, key);
}

bool IniFileProfile::WriteString(std::string_view section, std::string_view key,
                                 std::string_view value) {
  if (readOnly_) return false;
  IniFile ini;
  // A file that exists but cannot be read now is never replaced by one holding a single key.
  if (!ini.Load(files_, codePage_, path_) && files_.Exists(path_)) return false;
  ini.WriteString(section, key, value);
  return ini.Save(files_, codePage_, path_);
}

}  // namespace postwink
