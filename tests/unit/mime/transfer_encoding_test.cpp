#include "core/mime/transfer_encoding.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

using namespace std::string_literals;

TEST(Base64Decode, DecodesGroupsPartialGroupsAndStopsAtPadding) {
  struct Case {
    std::string_view source;
    std::string expected;
  } cases[] = {
      {"", ""},
      {"TWFu", "Man"},
      {"TWE=", "Ma"},             // three characters give two bytes
      {"TQ==", "M"},              // two give one
      {"TWFuT", "Man"},           // a single left-over character gives nothing
      {"TW Fu\r\n\tTQ", "ManM"},  // white space anywhere is skipped
      {"TQ==TWFu", "M"},          // decoding stops at the first "="
      {"AAEC/w", "\x00\x01\x02\xff"s},
      // RFC 2045: bytes outside the alphabet are ignored, so a stray one does not shift the rest.
      {"!!!!", ""},
      {"dm\x01k===", "vi"},
      {"T.W-F\x80u", "Man"},
  };
  for (const Case& c : cases) EXPECT_EQ(Base64Decode(c.source), c.expected) << c.source;
}

TEST(Base64Decode, LineBreaksEvery76CharactersChangeNothing) {
  std::string data;
  for (int i = 0; i < 300; ++i) data.push_back(static_cast<char>(i * 7));
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string encoded;
  for (size_t i = 0; i < data.size(); i += 3) {
    uint32_t g = static_cast<uint32_t>(static_cast<unsigned char>(data[i])) << 16;
    if (i + 1 < data.size())
      g |= static_cast<uint32_t>(static_cast<unsigned char>(data[i + 1])) << 8;
    if (i + 2 < data.size()) g |= static_cast<unsigned char>(data[i + 2]);
    encoded += kAlphabet[(g >> 18) & 63];
    encoded += kAlphabet[(g >> 12) & 63];
    encoded += i + 1 < data.size() ? kAlphabet[(g >> 6) & 63] : '=';
    encoded += i + 2 < data.size() ? kAlphabet[g & 63] : '=';
  }
  std::string folded;
  for (size_t i = 0; i < encoded.size(); i += 76) folded += encoded.substr(i, 76) + "\r\n";
  EXPECT_EQ(Base64Decode(encoded), data);
  EXPECT_EQ(Base64Decode(folded), data);
}

TEST(QuotedPrintableDecode, BodyRules) {
  struct Case {
    std::string_view source;
    std::string expected;
  } cases[] = {
      {"a=3Db", "a=b"},
      {"caf=e9", "caf\xe9"},            // lower-case hex digits work
      {"soft=\r\nbreak", "softbreak"},  // "=" CR LF vanishes
      {"soft=\nbreak", "softbreak"},    // and "=" LF
      {"line\r\nnext", "line\r\nnext"},
      {"snake_case", "snake_case"},  // a body keeps its underscores
      {"=00x", "\x00x"s},
      {"end=", "end"},                     // a soft break at the very end
      {"soft= \t\r\nbreak", "softbreak"},  // blanks a transport left after the "="
      // Not an escape: the "=" stands for itself, so text that was never encoded survives.
      {"end=4", "end=4"},
      {"=ZZ", "=ZZ"},
      {"=4g", "=4g"},
      {"a= b", "a= b"},
      {"ref=od_x&ie=UTF8&psc=1", "ref=od_x&ie=UTF8&psc=1"},
      {"=3d=C3=A9", "=\xC3\xA9"},
  };
  for (const Case& c : cases) EXPECT_EQ(QuotedPrintableDecode(c.source), c.expected) << c.source;
}

TEST(QuotedPrintableDecode, EncodedWordFormTurnsUnderscoreIntoSpace) {
  EXPECT_EQ(QuotedPrintableDecode("a_b=5Fc=20d", QuotedPrintableForm::kEncodedWord), "a b_c d");
  EXPECT_EQ(QuotedPrintableDecode("x=zz_y", QuotedPrintableForm::kEncodedWord), "x=zz y");
}

TEST(HexDigitValue, DigitsLettersAndOthers) {
  EXPECT_EQ(HexDigitValue('0'), 0);
  EXPECT_EQ(HexDigitValue('9'), 9);
  EXPECT_EQ(HexDigitValue('A'), 10);
  EXPECT_EQ(HexDigitValue('f'), 15);
  EXPECT_EQ(HexDigitValue('z'), 35);
  EXPECT_EQ(HexDigitValue('%'), 0);
  EXPECT_EQ(HexDigitValue('\xff'), 0);
}

TEST(PercentDecode, DecodesEscapesAndKeepsPlus) {
  EXPECT_EQ(PercentDecode("%E6%97%A5.txt"), "\xE6\x97\xA5.txt");
  EXPECT_EQ(PercentDecode("C++ notes%20v2"), "C++ notes v2");
  EXPECT_EQ(PercentDecode("%00"), "\x00"s);
  // Not an escape: the "%" stands for itself.
  EXPECT_EQ(PercentDecode("ab%4"), "ab%4");
  EXPECT_EQ(PercentDecode("100%.txt"), "100%.txt");
  EXPECT_EQ(PercentDecode("%zz%41"), "%zzA");
}

TEST(RemoveDotStuffing, DropsOneLeadingDotPerLine) {
  EXPECT_EQ(RemoveDotStuffing(".first\r\n..second\r\nmid.dle\n.\n"),
            "first\r\n.second\r\nmid.dle\n\n");
  EXPECT_EQ(RemoveDotStuffing(""), "");
}

TEST(AddDotStuffing, IsUndoneByRemoveDotStuffing) {
  for (const char* text : {".first\r\n..second\r\nmid.dle\n.\n", "", ".", "a\r\n.\r\n"}) {
    EXPECT_EQ(RemoveDotStuffing(AddDotStuffing(text)), text) << text;
  }
  EXPECT_EQ(AddDotStuffing(".a\r\n.\r\n"), "..a\r\n..\r\n");
}

}  // namespace
}  // namespace postwink
