#pragma once
// The 7-bit ISO-2022 forms of Japanese and Korean mail.

#include <functional>
#include <string>
#include <string_view>

namespace postwink {

// ISO-2022-JP with its extensions, read into Shift_JIS runs: JIS X 0208 (ESC $ @, ESC $ B,
// ESC $ ( B), JIS X 0201 katakana (ESC ( I, SO/SI, and ESC N after ESC * I). Characters of
// JIS X 0212 (ESC $ ( D), which Shift_JIS cannot hold, come out as EUC-JP runs (0x8F and two
// bytes). Bytes 0x80-0xFF pass unchanged, so Shift_JIS text survives.
enum class JisRun { kShiftJis, kEucJp };
void ReadIso2022Jp(std::string_view source,
                   const std::function<void(JisRun, std::string_view)>& emit);

// ReadIso2022Jp's Shift_JIS runs, joined; JIS X 0212 characters become "?".
std::string JisToShiftJis(std::string_view source);

// ISO-2022-KR into EUC-KR: the ESC $ ) C designators and SO/SI are dropped, bytes between SO
// and SI other than space and tab get bit 7 set. The output is not converted further.
std::string Iso2022KrToEucKr(std::string_view source);

}  // namespace postwink
