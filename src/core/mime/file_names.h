#pragma once
// File names made from mail text (subjects, attachment names, header fields).

#include <string>

namespace postwink {

// Makes the text usable as one file name in the temporary folder, in place: path and shell
// characters and control characters become "_", Windows device names (CON, NUL, COM1, ...) get a
// leading "_", and a trailing dot or space gets a "_" after it. Every other character stays as it
// is (Windows names are UTF-16 and hold them all); a byte that is not part of a valid UTF-8
// character becomes "_", as no wide name could hold it.
void SanitizeFileName(std::string& text);

}  // namespace postwink
