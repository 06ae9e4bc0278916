#include "core/settings_ui/start_with_windows.h"

namespace postwink {
namespace {

std::string_view Unquoted(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    text = text.substr(1, text.size() - 2);
  }
  return text;
}

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SamePath(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

}  // namespace

std::string RunEntryValue(std::string_view programPath) {
  return "\"" + std::string(programPath) + "\"";
}

bool RunEntryStartsProgram(const std::optional<std::string>& entry, std::string_view programPath) {
  return entry && !programPath.empty() && SamePath(Unquoted(*entry), Unquoted(programPath));
}

RunEntryChange RunEntryChangeFor(const std::optional<std::string>& entry,
                                 std::string_view programPath, bool wanted) {
  const bool starts = RunEntryStartsProgram(entry, programPath);
  if (wanted && !starts) return RunEntryChange::kWrite;
  if (!wanted && starts) return RunEntryChange::kRemove;
  return RunEntryChange::kNone;
}

}  // namespace postwink
