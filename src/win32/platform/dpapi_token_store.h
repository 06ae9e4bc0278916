#pragma once
// Refresh tokens encrypted for the current Windows user (DPAPI) in one file, by default
// Postwink.tokens beside Postwink.ini: another user of the same folder, or the file copied to
// another machine, cannot decrypt it and simply signs in again.

#include <map>
#include <optional>
#include <string>

#include "core/oauth/oauth_platform.h"
#include "core/platform/system.h"

namespace postwink::win {

class DpapiTokenStore : public RefreshTokenStore {
 public:
  DpapiTokenStore(FileSystem& files, std::string path) : files_(files), path_(std::move(path)) {}
  std::optional<std::string> Load(const std::string& key) override;
  bool Save(const std::string& key, std::string_view refreshToken) override;
  bool Erase(const std::string& key) override;

 private:
  // Every token the file holds; empty when it is missing, damaged or another user's.
  std::map<std::string, std::string> ReadAll() const;
  bool WriteAll(const std::map<std::string, std::string>& tokens);

  FileSystem& files_;
  std::string path_;
};

// The store's file name beside the settings file.
inline constexpr char kTokenFileName[] = "Postwink.tokens";

}  // namespace postwink::win
