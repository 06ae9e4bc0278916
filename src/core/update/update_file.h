#pragma once
// The update file's rules that do not need the network: its version line, the comparison with
// the program's own version, and the name the download is saved under.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace postwink {

using Version = std::array<uint32_t, 4>;

// Four numbers a.b.c.d: the first three end at "," or ".", the fourth also at " " (runs of
// separators count as one); each is read as decimal digits after optional white space, and a
// missing number is 0. Fails only for an empty text.
std::optional<Version> ParseVersion(std::string_view text);

// a x 2^24 + b x 2^16 + c x 2^8 + d in 32 bits, each part added into its place unmasked.
uint32_t VersionValue(const Version& v);

// An update file is a short message; a server that sends more than this is not sending one, and
// the download stops rather than let the body grow without end.
inline constexpr size_t kMaxUpdateFileBytes = 1u << 20;

// How a downloaded update file compares with the program's version. The numbers are the
// worker thread's exit codes.
enum class UpdateCheck : int {
  kNewer = 0,       // post the notice
  kNotNewer = 100,  // ends with 0 too, without the notice
  kEmptyFile = 11,
  kNoMarker = 12,  // the first line does not begin with "VERSION:"
  kEmptyVersion = 13,
};

// fileText is the file as read in text mode; only its first line (at most 255 characters)
// counts.
UpdateCheck CheckUpdateFile(std::string_view fileText, const Version& own);

// The last part of the URL after "/" when it is 1 to 31 characters and a plain file name,
// otherwise "Update.dat".
std::string UpdateFileName(std::string_view url);

}  // namespace postwink
