#pragma once
// File names made from mail text (subjects, attachment names, header fields).

#include <string>

#include "core/platform/system.h"

namespace postwink {

// Makes the text usable as one file name in the temporary folder, in place: path and shell
// characters and control bytes become "_", Windows device names (CON, NUL, COM1, ...) get a
// leading "_", and a trailing dot or space gets a "_" after it. Double-byte characters are kept
// whole, so a trail byte equal to "\" stays.
void SanitizeFileName(std::string& text);

// SanitizeFileName, then every character that code page 932 cannot carry into a wide name (a
// stray lead byte, an unassigned code) becomes "_" too: the system would otherwise get a "?"
// in its place, which no file name may hold.
void SanitizeFileName(std::string& text, const CodePage& codePage);

}  // namespace postwink
