#pragma once
// File names made from mail text (subjects, attachment names, header fields).

#include <string>

namespace postwink {

// Makes the text usable as one file name in the temporary folder, in place: path and shell
// characters and control bytes become "_", Windows device names (CON, NUL, COM1, ...) get a
// leading "_", and a trailing dot or space gets a "_" after it. Double-byte characters are kept
// whole, so a trail byte equal to "\" stays.
void SanitizeFileName(std::string& text);

}  // namespace postwink
