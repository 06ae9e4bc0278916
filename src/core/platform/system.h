#pragma once
// The few things the portable core needs from the operating system. Each has a Windows
// implementation (src/win32/platform), a POSIX one (src/posix) and fakes for the tests.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace postwink {

// Broken-down local time, as the Win32 SYSTEMTIME gives it.
struct LocalTime {
  int year = 1970;
  int month = 1;      // 1-12
  int day = 1;        // 1-31
  int dayOfWeek = 4;  // 0 = Sunday
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() const = 0;
  // Seconds since 1970-01-01 UTC (the C library's time()).
  virtual int64_t UnixSeconds() const = 0;
  // A clock that never jumps, in milliseconds, for measuring silence and intervals.
  virtual int64_t MonotonicMs() const = 0;
  // The current date and time as the user's locale writes them (short date, time), used only
  // in log separators. Empty on failure.
  virtual std::string LocaleDateTimeText() const = 0;
};

// Files are named by UTF-8 paths; the Windows side widens them to UTF-16.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual std::optional<std::string> ReadAll(const std::string& path) const = 0;
  // Writes a sibling temporary file and replaces the target with it, so a crash or a full disk
  // never leaves a truncated file. On failure the old file is untouched.
  virtual bool WriteAtomic(const std::string& path, std::string_view data) = 0;
  // Opens (creating if needed) with read sharing, appends, closes.
  virtual bool Append(const std::string& path, std::string_view data) = 0;
  virtual bool Exists(const std::string& path) const = 0;
  virtual bool IsDirectory(const std::string& path) const = 0;
  virtual bool RemoveFile(const std::string& path) = 0;
  virtual bool CreateDirectory(const std::string& path) = 0;
  // Deletes what can be deleted below the folder, then the folder if it became empty.
  virtual bool RemoveTree(const std::string& path) = 0;
  virtual std::vector<std::string> ListDirectory(const std::string& path) const = 0;
  // Path separator of the platform ("\\" on Windows, "/" elsewhere).
  virtual char Separator() const = 0;
  // Creates or truncates the file and writes the data, for scratch files in the temporary
  // folder that need no protection against a crash. The default is WriteAtomic.
  virtual bool WriteWhole(const std::string& path, std::string_view data);
  // Creates a new empty file with a unique name in the folder (which ends in a separator), the
  // name made as GetTempFileName makes it: the first three characters of prefix, four hex
  // digits, ".tmp". Returns its full path, or none. The default tries names with Exists and
  // WriteAtomic; platforms override it with an exclusive create.
  virtual std::optional<std::string> CreateUniqueFile(const std::string& folder,
                                                      std::string_view prefix);
};

// Conversion between code page 932 and UTF-16, for the stored files that still use it.
class CodePage {
 public:
  virtual ~CodePage() = default;
  virtual std::u16string Widen(std::string_view cp932) const = 0;
  // Characters that code page 932 lacks become "?".
  virtual std::string Narrow(std::u16string_view text) const = 0;
};

// A character set that the platform decodes: the Windows code page number and the iconv name
// of the same set.
struct CodePageInfo {
  uint32_t windowsCodePage;
  const char* iconvName;
};

// Decoding of text in other character sets into UTF-16. Bytes that are not valid in the set
// become U+FFFD; nullopt when the platform cannot convert the set at all.
class CharsetConverter {
 public:
  virtual ~CharsetConverter() = default;
  virtual std::optional<std::u16string> ToUtf16(const CodePageInfo& codePage,
                                                std::string_view bytes) const = 0;
};

// The local time zone as the system reports it at this moment.
class TimeZoneSource {
 public:
  virtual ~TimeZoneSource() = default;
  // Offset from UTC in minutes, east positive, with daylight saving time applied when it is in
  // force; nullopt when the system cannot tell.
  virtual std::optional<int> LocalOffsetMinutes() const = 0;
};

class Random {
 public:
  virtual ~Random() = default;
  // The C library's srand()/rand() pair, as the password format uses it.
  virtual void Seed(uint32_t seed) = 0;
  virtual int Next() = 0;
};

// The C library's own pair; the same on every platform.
class CRandom final : public Random {
 public:
  void Seed(uint32_t seed) override;
  int Next() override;
};

// Everything together; the program builds one at start-up and passes it down.
struct System {
  Clock& clock;
  FileSystem& files;
  CodePage& codePage;
  Random& random;
};

// The running platform's implementations (defined in src/win32/platform or src/posix).
System& PlatformSystem();
// The user's own folder for scratch files that others must not read or plant (message dumps),
// created when needed; the path ends in its separator. None when no safe folder can be had. On
// POSIX it is "Postwink-<uid>" in TMPDIR (or /tmp), created with mode 0700 and refused when it is
// a link, not a folder, or owned by another user; one of the user's own that others may enter is
// closed to them. On Windows the temporary directory is the user's own: "Postwink" in it.
std::optional<std::string> PrivateTempFolder();
const CharsetConverter& PlatformCharsetConverter();
const TimeZoneSource& PlatformTimeZone();

}  // namespace postwink
