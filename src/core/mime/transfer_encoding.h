#pragma once
// The transfer encodings of mail (base64, quoted-printable), the %XX form of RFC 2231 values and
// POP3 dot-stuffing. Outputs may hold NUL bytes; their length is the string's size.

#include <string>
#include <string_view>

namespace postwink {

// RFC 2045 base64. Space, tab, CR and LF are skipped; any other byte outside the alphabet counts
// as 0. Decoding stops at the first "=" or the end; a last group of two or three characters
// gives one or two bytes, a single left-over character nothing.
std::string Base64Decode(std::string_view source);

enum class QuotedPrintableForm {
  kBody,         // Content-Transfer-Encoding: quoted-printable; "_" is an underscore
  kEncodedWord,  // the Q encoding of RFC 2047 header words; "_" is a space
};

// "=" CR LF or "=" LF is a soft line break; "=" and two characters is one byte (16 x the first
// digit + the second, not validated); a "=" with fewer than two bytes after it ends decoding.
std::string QuotedPrintableDecode(std::string_view source,
                                  QuotedPrintableForm form = QuotedPrintableForm::kBody);

// "0"-"9" give 0-9, "A"-"Z" and "a"-"z" give 10-35, anything else 0.
int HexDigitValue(char c);

// "%" and two characters is one byte as in quoted-printable; a "%" with fewer than two bytes
// after it ends decoding. "+" stays "+": RFC 2231 gives it no meaning.
std::string PercentDecode(std::string_view source);

// Leaves out every "." that is the first byte of the text or follows a LF.
std::string RemoveDotStuffing(std::string_view source);

}  // namespace postwink
