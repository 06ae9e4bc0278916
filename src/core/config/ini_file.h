#pragma once
// An INI file with the semantics of the Win32 private-profile functions, kept as its lines so
// that everything the program does not touch is written back byte for byte.
//
// Sections and keys are matched without regard to case. Values are read with the blanks around
// them removed and one pair of enclosing quotes (" or ') dropped, as GetPrivateProfileString
// does; a written value that would not read back as given is enclosed in double quotes. Line
// ends are CR LF for new lines; existing lines keep theirs.
//
// The text is UTF-8 in memory. On disk it is code page 932 while every character fits, so files
// written by earlier builds or by hand read as before and stay readable by tools that know only
// that code page; a file holding a character 932 lacks is written whole as UTF-8 after a byte
// order mark, and a file that starts with that mark is read as UTF-8.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/system.h"

namespace postwink {

class IniFile {
 public:
  IniFile() = default;
  static IniFile Parse(std::string_view text);
  std::string Text() const;

  // The file's bytes as stored, and back.
  static IniFile FromStored(std::string_view bytes, const CodePage& codePage);
  std::string Stored(const CodePage& codePage) const;

  // Replaces the contents with the file at path. Returns whether the file could be read; a
  // missing or unreadable file leaves an empty INI.
  bool Load(const FileSystem& files, const CodePage& codePage, const std::string& path);
  // Writes atomically: on failure the file on disk is unchanged.
  bool Save(FileSystem& files, const CodePage& codePage, const std::string& path) const;

  // The value of the key in the first section of that name; nullopt when the key is absent or
  // is a line without "=".
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view defaultValue) const;
  // As GetPrivateProfileInt: leading blanks, an optional sign, decimal digits up to the first
  // non-digit (no digits gives 0), wrapping like a 32-bit unsigned total. An absent or empty
  // value gives the default.
  int GetInt(std::string_view section, std::string_view key, int defaultValue) const;

  // Updates the key in place, or appends it after the last line of its section, or appends a
  // new section at the end. A line break in the value ends the value there.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInt(std::string_view section, std::string_view key, int value);
  // Removes the key from every section of that name.
  void DeleteKey(std::string_view section, std::string_view key);
  // Removes every section of that name with all its lines.
  void DeleteSection(std::string_view section);

  bool HasSection(std::string_view section) const;
  // Every line of the first section of that name, as a whole-section read gives them: name and
  // value, in file order. Comment and blank lines are left out; a line without "=" has an empty
  // value, one that begins with "=" an empty name.
  struct Entry {
    std::string name;
    std::string value;
  };
  std::vector<Entry> Entries(std::string_view section) const;
  // Key names of the first section of that name, in file order, as written in the file
  // (comment lines beginning with ";" and blank lines are not keys).
  std::vector<std::string> KeyNames(std::string_view section) const;

 private:
  struct Line {
    std::string text;  // without the line end
    std::string end;   // "\r\n", "\n", "\r" or "" (last line without a line end)
  };
  // Index range [begin, end) of the section's lines after its header; begin is the header.
  struct SectionRange {
    size_t header;
    size_t end;
  };
  // A section header: its line and its name as written.
  struct Header {
    size_t line;
    std::string name;
  };
  std::vector<SectionRange> Sections(std::string_view section) const;
  std::optional<size_t> FindKeyLine(const SectionRange& range, std::string_view key) const;
  void InsertLine(size_t at, std::string text);
  void EraseLines(const std::vector<bool>& drop);
  void IndexHeaders();

  std::vector<Line> lines_;
  // Every header line in file order, kept in step with lines_, so that finding a section costs
  // the number of sections rather than a parse of every line of the file.
  std::vector<Header> headers_;
};

// Formats as the program writes numbers: decimal, with a minus sign when negative.
std::string DecimalText(int value);

}  // namespace postwink
