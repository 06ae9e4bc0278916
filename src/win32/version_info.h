#pragma once
// Reading the program's version resource.

#include <optional>
#include <string>

namespace postwink::win {

// One string value (such as "ProductVersion") from the version resource of the file, or of the
// running program when no file is given, in the resource's first language and code page.
// Empty when the resource or the value is missing.
std::string ReadVersionString(const std::string& valueName,
                              const std::optional<std::string>& file = std::nullopt);

}  // namespace postwink::win
