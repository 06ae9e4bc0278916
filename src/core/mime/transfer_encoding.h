#pragma once
// The transfer encodings of mail (base64, quoted-printable), the %XX form of RFC 2231 values and
// POP3 dot-stuffing. Outputs may hold NUL bytes; their length is the string's size.

#include <string>
#include <string_view>

namespace postwink {

// RFC 2045 base64. Bytes outside the alphabet (line breaks included) are skipped. Decoding stops
// at the first "=" or the end; a last group of two or three characters gives one or two bytes,
// a single left-over character nothing.
std::string Base64Decode(std::string_view source);

enum class QuotedPrintableForm {
  kBody,         // Content-Transfer-Encoding: quoted-printable; "_" is an underscore
  kEncodedWord,  // the Q encoding of RFC 2047 header words; "_" is a space
};

// "=" before CR LF or LF (blanks may stand between) or at the very end is a soft line break;
// "=" and two hex digits (either case) is one byte; any other "=" is kept as it stands, so a
// URL such as "?a=zz&b=UTF8" survives a body that is not really encoded.
std::string QuotedPrintableDecode(std::string_view source,
                                  QuotedPrintableForm form = QuotedPrintableForm::kBody);

// "0"-"9" give 0-9, "A"-"Z" and "a"-"z" give 10-35, anything else 0.
int HexDigitValue(char c);

// "%" and two hex digits is one byte; any other "%" is kept as it stands. "+" stays "+":
// RFC 2231 gives it no meaning.
std::string PercentDecode(std::string_view source);

// Leaves out every "." that is the first byte of the text or follows a LF.
std::string RemoveDotStuffing(std::string_view source);
// The inverse: doubles every such ".", for text that came by a protocol without dot-stuffing.
std::string AddDotStuffing(std::string_view source);

// A message file as saved on Unix, LF alone ending its lines, with the CR LF line ends that the
// parser expects (as POP3 delivers them); CR LF already there stays as it is.
std::string WithCrLfLineEnds(std::string_view text);

}  // namespace postwink
