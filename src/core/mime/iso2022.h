#pragma once
// The 7-bit ISO-2022 forms of Japanese and Korean mail.

#include <string>
#include <string_view>

namespace postwink {

// ISO-2022-JP into Shift_JIS, with the JIS X 0201 katakana forms SO/SI and ESC N (after
// ESC * I). ESC ( I is not a katakana shift here: it ends kanji mode and is copied as it came.
// Bytes 0x80-0xFF pass unchanged, so Shift_JIS or other 8-bit text survives a pass.
// The output is never longer than the source.
std::string JisToShiftJis(std::string_view source);

// ISO-2022-KR into EUC-KR: the ESC $ ) C designators and SO/SI are dropped, bytes between SO
// and SI other than space and tab get bit 7 set. The output is not converted further.
std::string Iso2022KrToEucKr(std::string_view source);

}  // namespace postwink
