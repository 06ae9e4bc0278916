#include "core/config/ini_file.h"

#include "core/text/cp932.h"

#include <cstdint>

#include "core/text/case.h"

namespace postwink {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && IsBlank(s[b])) ++b;
  size_t e = s.size();
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// The section name of a header line "[name]", or nullopt for any other line. The name runs to
// the last "]" on the line.
std::optional<std::string_view> HeaderName(std::string_view line) {
  std::string_view t = Trim(line);
  if (t.empty() || t.front() != '[') return std::nullopt;
  size_t close = t.rfind(']');
  if (close == std::string_view::npos || close == 0) return std::nullopt;
  return Trim(t.substr(1, close - 1));
}

bool IsComment(std::string_view trimmed) { return !trimmed.empty() && trimmed.front() == ';'; }

// A key line: the name before the first "=" (or the whole line when it has none).
struct KeyLine {
  std::string_view name;
  std::optional<std::string_view> value;  // raw, untrimmed; nullopt without "="
};

std::optional<KeyLine> ParseKeyLine(std::string_view line) {
  std::string_view t = Trim(line);
  if (t.empty() || IsComment(t)) return std::nullopt;
  size_t eq = line.find('=');
  if (eq == std::string_view::npos) return KeyLine{t, std::nullopt};
  std::string_view name = Trim(line.substr(0, eq));
  if (name.empty()) return std::nullopt;
  return KeyLine{name, line.substr(eq + 1)};
}

std::string ReadValue(std::string_view raw) {
  std::string_view v = Trim(raw);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  return std::string(v);
}

// The text to write so that ReadValue gives value back.
std::string StoredValue(std::string_view value) {
  size_t lineBreak = value.find_first_of("\r\n");
  if (lineBreak != std::string_view::npos) value = value.substr(0, lineBreak);
  bool needsQuotes =
      !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) ||
                         (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                          value.back() == value.front()));
  if (!needsQuotes) return std::string(value);
  return "\"" + std::string(value) + "\"";
}

}  // namespace

IniFile IniFile::Parse(std::string_view text) {
  IniFile ini;
  size_t pos = 0;
  // CR LF, LF and a lone CR all end a line, so a value never holds a line break.
  while (pos < text.size()) {
    size_t brk = text.find_first_of("\r\n", pos);
    Line line;
    if (brk == std::string_view::npos) {
      line.text = std::string(text.substr(pos));
      pos = text.size();
    } else {
      line.text = std::string(text.substr(pos, brk - pos));
      size_t endLength =
          (text[brk] == '\r' && brk + 1 < text.size() && text[brk + 1] == '\n') ? 2 : 1;
      line.end = std::string(text.substr(brk, endLength));
      pos = brk + endLength;
    }
    ini.lines_.push_back(std::move(line));
  }
  ini.IndexHeaders();
  return ini;
}

void IniFile::IndexHeaders() {
  headers_.clear();
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (std::optional<std::string_view> name = HeaderName(lines_[i].text)) {
      headers_.push_back({i, std::string(*name)});
    }
  }
}

std::string IniFile::Text() const {
  std::string out;
  size_t total = 0;
  for (const Line& l : lines_) total += l.text.size() + l.end.size();
  out.reserve(total);
  for (const Line& l : lines_) {
    out += l.text;
    out += l.end;
  }
  return out;
}

IniFile IniFile::FromStored(std::string_view bytes, const CodePage& codePage) {
  return Parse(ReadStoredText(bytes, codePage));
}

std::string IniFile::Stored(const CodePage& codePage) const { return StoredText(Text(), codePage); }

bool IniFile::Load(const FileSystem& files, const CodePage& codePage, const std::string& path) {
  std::optional<std::string> data = files.ReadAll(path);
  *this = data ? FromStored(*data, codePage) : IniFile();
  return data.has_value();
}

bool IniFile::Save(FileSystem& files, const CodePage& codePage, const std::string& path) const {
  return files.WriteAtomic(path, Stored(codePage));
}

std::vector<IniFile::SectionRange> IniFile::Sections(std::string_view section) const {
  std::vector<SectionRange> ranges;
  for (size_t h = 0; h < headers_.size(); ++h) {
    if (!EqualsNoCase(headers_[h].name, section)) continue;
    size_t end = h + 1 < headers_.size() ? headers_[h + 1].line : lines_.size();
    ranges.push_back({headers_[h].line, end});
  }
  return ranges;
}

std::optional<size_t> IniFile::FindKeyLine(const SectionRange& range, std::string_view key) const {
  for (size_t i = range.header + 1; i < range.end; ++i) {
    std::optional<KeyLine> k = ParseKeyLine(lines_[i].text);
    if (k && EqualsNoCase(k->name, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> IniFile::Find(std::string_view section, std::string_view key) const {
  std::vector<SectionRange> ranges = Sections(section);
  if (ranges.empty()) return std::nullopt;
  std::optional<size_t> line = FindKeyLine(ranges.front(), key);
  if (!line) return std::nullopt;
  std::optional<std::string_view> raw = ParseKeyLine(lines_[*line].text)->value;
  if (!raw) return std::nullopt;
  return ReadValue(*raw);
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view defaultValue) const {
  std::optional<std::string> v = Find(section, key);
  return v ? *v : std::string(defaultValue);
}

int IniFile::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
  std::optional<std::string> v = Find(section, key);
  if (!v || v->empty()) return defaultValue;
  size_t i = 0;
  while (i < v->size() && ((*v)[i] == ' ' || (*v)[i] == '\t')) ++i;
  bool negative = false;
  if (i < v->size() && ((*v)[i] == '-' || (*v)[i] == '+')) negative = (*v)[i++] == '-';
  uint32_t total = 0;
  for (; i < v->size() && (*v)[i] >= '0' && (*v)[i] <= '9'; ++i) {
    total = total * 10u + static_cast<uint32_t>((*v)[i] - '0');
  }
  if (negative) total = 0u - total;
  return static_cast<int>(total);
}

void IniFile::InsertLine(size_t at, std::string text) {
  // A last line without a line end gets one before anything follows it.
  if (at > 0 && at == lines_.size() && lines_.back().end.empty()) lines_.back().end = "\r\n";
  std::optional<std::string_view> name = HeaderName(text);
  size_t h = 0;
  while (h < headers_.size() && headers_[h].line < at) ++h;
  for (size_t k = h; k < headers_.size(); ++k) ++headers_[k].line;
  if (name) {
    headers_.insert(headers_.begin() + static_cast<std::ptrdiff_t>(h), {at, std::string(*name)});
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), "\r\n"});
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  std::string stored = StoredValue(value);
  std::vector<SectionRange> ranges = Sections(section);
  if (ranges.empty()) {
    bool separate = !lines_.empty() && !Trim(lines_.back().text).empty();
    if (separate) InsertLine(lines_.size(), "");
    InsertLine(lines_.size(), "[" + std::string(section) + "]");
    InsertLine(lines_.size(), std::string(key) + "=" + stored);
    return;
  }
  const SectionRange& range = ranges.front();
  if (std::optional<size_t> line = FindKeyLine(range, key)) {
    std::string name(ParseKeyLine(lines_[*line].text)->name);
    lines_[*line].text = name + "=" + stored;
    // A key line never reads as a header, but a value could make it one: keep the index true.
    if (HeaderName(lines_[*line].text)) IndexHeaders();
    return;
  }
  // After the last non-blank line of the section, so blank lines before the next header stay.
  size_t at = range.end;
  while (at > range.header + 1 && Trim(lines_[at - 1].text).empty()) --at;
  InsertLine(at, std::string(key) + "=" + stored);
}

void IniFile::WriteInt(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, DecimalText(value));
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
  std::vector<bool> drop;
  for (const SectionRange& r : Sections(section)) {
    for (size_t i = r.header + 1; i < r.end; ++i) {
      std::optional<KeyLine> k = ParseKeyLine(lines_[i].text);
      if (!k || !EqualsNoCase(k->name, key)) continue;
      if (drop.empty()) drop.assign(lines_.size(), false);
      drop[i] = true;
    }
  }
  if (!drop.empty()) EraseLines(drop);
}

void IniFile::DeleteSection(std::string_view section) {
  std::vector<SectionRange> ranges = Sections(section);
  if (ranges.empty()) return;
  std::vector<bool> drop(lines_.size(), false);
  for (const SectionRange& r : ranges) {
    for (size_t i = r.header; i < r.end; ++i) drop[i] = true;
  }
  EraseLines(drop);
}

// One pass, so that a file full of duplicates costs no more than a plain one.
void IniFile::EraseLines(const std::vector<bool>& drop) {
  size_t kept = 0;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (!drop[i]) {
      if (kept != i) lines_[kept] = std::move(lines_[i]);
      ++kept;
    }
  }
  lines_.resize(kept);
  IndexHeaders();
}

bool IniFile::HasSection(std::string_view section) const { return !Sections(section).empty(); }

std::vector<std::string> IniFile::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  std::vector<SectionRange> ranges = Sections(section);
  if (ranges.empty()) return names;
  for (size_t i = ranges.front().header + 1; i < ranges.front().end; ++i) {
    if (std::optional<KeyLine> k = ParseKeyLine(lines_[i].text)) names.emplace_back(k->name);
  }
  return names;
}

std::vector<IniFile::Entry> IniFile::Entries(std::string_view section) const {
  std::vector<Entry> entries;
  std::vector<SectionRange> ranges = Sections(section);
  if (ranges.empty()) return entries;
  for (size_t i = ranges.front().header + 1; i < ranges.front().end; ++i) {
    std::string_view line = lines_[i].text;
    std::string_view t = Trim(line);
    if (t.empty() || IsComment(t)) continue;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      entries.push_back({std::string(t), ""});
    } else {
      entries.push_back({std::string(Trim(line.substr(0, eq))), ReadValue(line.substr(eq + 1))});
    }
  }
  return entries;
}

std::string DecimalText(int value) { return std::to_string(value); }

}  // namespace postwink
