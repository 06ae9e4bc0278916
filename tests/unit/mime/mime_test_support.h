#pragma once
// Shared pieces of the message-decoding tests: the platform's converters, a fixed +09:00 zone
// and a scratch folder.

#include <filesystem>
#include <optional>
#include <random>
#include <string>

#include "core/mime/charset.h"
#include "core/mime/date.h"
#include "core/mime/parse_message.h"
#include "core/platform/system.h"

namespace postwink::test {

class FixedZone final : public TimeZoneSource {
 public:
  std::optional<int> LocalOffsetMinutes() const override { return 540; }
};

// A JIS X 0212 character (U+4E02) as the platform's EUC-JP reads it: iconv holds the set,
// Windows' code page 20932 does not, and then it is U+FFFD, never another character.
#ifdef _WIN32
inline constexpr const char* kJisX0212Char = "\uFFFD";
#else
inline constexpr const char* kJisX0212Char = "\u4E02";
#endif

inline const CharsetContext& Charsets() {
  static const CharsetContext context{PlatformSystem().codePage, PlatformCharsetConverter()};
  return context;
}

inline LocalZone& TokyoZone() {
  static FixedZone source;
  static LocalZone zone{source};
  return zone;
}

inline ParseOptions Options(bool showHeader = false) {
  ParseOptions options(Charsets(), TokyoZone());
  options.showHeader = showHeader;
  return options;
}

// Lines joined with CR LF, as the POP3 session delivers a message.
inline std::string Crlf(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

// A fresh folder under the system's temporary directory, removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int i = 0;; ++i) {
      path_ = base /
              ("postwink-test-" + std::to_string(std::random_device{}()) + "-" + std::to_string(i));
      if (std::filesystem::create_directory(path_)) break;
    }
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string Path() const { return path_.string() + "/"; }
  std::filesystem::path Dir() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace postwink::test
