#pragma once
// The 7-bit ISO-2022 forms of Japanese and Korean mail.

#include <string>
#include <string_view>

namespace postwink {

// ISO-2022-JP (with the JIS X 0201 katakana forms: ESC ( I shifts, SO/SI, ESC N) into
// Shift_JIS. Bytes 0x80-0xFF pass unchanged, so Shift_JIS or other 8-bit text survives a pass.
// The output is never longer than the source.
std::string JisToShiftJis(std::string_view source);

// ISO-2022-KR into EUC-KR: the ESC $ ) C designators and SO/SI are dropped, bytes between SO
// and SI other than space and tab get bit 7 set. The output is not converted further.
std::string Iso2022KrToEucKr(std::string_view source);

}  // namespace postwink
