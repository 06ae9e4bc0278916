#include "core/update/update_file.h"

namespace postwink {

namespace {

// strtok: skips leading separators, returns the token up to the next one.
std::string_view NextToken(std::string_view& rest, std::string_view separators) {
  size_t start = rest.find_first_not_of(separators);
  if (start == std::string_view::npos) {
    rest = {};
    return {};
  }
  size_t end = rest.find_first_of(separators, start);
  std::string_view token = rest.substr(start, end == std::string_view::npos ? end : end - start);
  rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  return token;
}

// Decimal digits after optional white space, up to the first other character; wraps at 2^32
// instead of overflowing.
uint32_t ReadNumber(std::string_view token) {
  size_t i = 0;
  while (i < token.size() && (token[i] == ' ' || (token[i] >= '\t' && token[i] <= '\r'))) ++i;
  uint32_t value = 0;
  for (; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i) {
    value = value * 10 + static_cast<uint32_t>(token[i] - '0');
  }
  return value;
}

}  // namespace

std::optional<Version> ParseVersion(std::string_view text) {
  if (text.empty()) return std::nullopt;
  Version v{};
  std::string_view rest = text;
  for (int i = 0; i < 3; ++i) v[i] = ReadNumber(NextToken(rest, ",."));
  v[3] = ReadNumber(NextToken(rest, ",. "));
  return v;
}

uint32_t VersionValue(const Version& v) { return (v[0] << 24) + (v[1] << 16) + (v[2] << 8) + v[3]; }

UpdateCheck CheckUpdateFile(std::string_view fileText, const Version& own) {
  if (fileText.empty()) return UpdateCheck::kEmptyFile;
  // fgets with a 256-byte buffer: the line with its line feed, at most 255 characters.
  size_t lineEnd = fileText.find('\n');
  size_t length = lineEnd == std::string_view::npos ? fileText.size() : lineEnd + 1;
  std::string_view line = fileText.substr(0, std::min<size_t>(length, 255));
  constexpr std::string_view kMarker = "VERSION:";
  if (line.substr(0, kMarker.size()) != kMarker) return UpdateCheck::kNoMarker;
  std::optional<Version> remote = ParseVersion(line.substr(kMarker.size()));
  if (!remote) return UpdateCheck::kEmptyVersion;
  return VersionValue(*remote) > VersionValue(own) ? UpdateCheck::kNewer : UpdateCheck::kNotNewer;
}

std::string UpdateFileName(std::string_view url) {
  constexpr const char* kDefaultName = "Update.dat";
  size_t slash = url.rfind('/');
  if (slash == std::string_view::npos) return kDefaultName;
  std::string_view name = url.substr(slash + 1);
  if (name.empty() || name.size() > 31) return kDefaultName;
  // The name becomes a path in the temporary folder: nothing that leaves the folder or that a
  // file name cannot hold (a query string, a drive, "..").
  if (name == "." || name == ".." || name.find_first_of("\\:*?\"<>|") != std::string_view::npos) {
    return kDefaultName;
  }
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20) return kDefaultName;
  }
  return std::string(name);
}

}  // namespace postwink
