#pragma once
// The application's profile: single keys of Postwink.ini that parts of the program read and
// write on their own, outside the settings record (the list's column layout).

#include <optional>
#include <string>
#include <string_view>

#include "core/platform/system.h"

namespace postwink {

class Profile {
 public:
  virtual ~Profile() = default;
  virtual std::optional<std::string> GetString(std::string_view section,
                                               std::string_view key) const = 0;
  // Returns whether the value was stored.
  virtual bool WriteString(std::string_view section, std::string_view key,
                           std::string_view value) = 0;
};

// Each call reads the file afresh; each write replaces it atomically, so keys written by
// others in between are kept. A read-only profile (the settings file could not be read at
// start-up, so this run never writes it) refuses every write.
class IniFileProfile final : public Profile {
 public:
  IniFileProfile(FileSystem& files, const CodePage& codePage, std::string path,
                 bool readOnly = false)
      : files_(files), codePage_(codePage), path_(std::move(path)), readOnly_(readOnly) {}
  std::optional<std::string> GetString(std::string_view section,
                                       std::string_view key) const override;
  bool WriteString(std::string_view section, std::string_view key, std::string_view value) override;

 private:
  FileSystem& files_;
  const CodePage& codePage_;
  std::string path_;
  bool readOnly_;
};

}  // namespace postwink
