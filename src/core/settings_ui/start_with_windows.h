#pragma once
// The "start with Windows" option: the entry under the user's Run key that starts this program,
// and what to change in it when the option is applied.

#include <optional>
#include <string>
#include <string_view>

namespace postwink {

// The program's own path, quoted: a path with blanks must stay one program name.
std::string RunEntryValue(std::string_view programPath);

// Whether the entry (none when the value is absent) starts this copy of the program. Paths
// compare without their quotes and without regard to ASCII case, as Windows names files.
bool RunEntryStartsProgram(const std::optional<std::string>& entry, std::string_view programPath);

enum class RunEntryChange { kNone, kWrite, kRemove };

// Applying the option: an entry that points at another copy of the program is that copy's
// business and stays unless the user asks for this one.
RunEntryChange RunEntryChangeFor(const std::optional<std::string>& entry,
                                 std::string_view programPath, bool wanted);

}  // namespace postwink
