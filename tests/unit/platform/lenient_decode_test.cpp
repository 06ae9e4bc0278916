#include "core/platform/lenient_decode.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

// A small double-byte set that refuses any text with an invalid byte, as Windows does when
// asked to: ASCII, and 0x81-0x9F followed by 0x40-0x7E (0x81 0x40 is U+4E00).
std::optional<std::u16string> ToyStrict(std::string_view bytes) {
  std::u16string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      out.push_back(c);
      continue;
    }
    if (c > 0x9F || c < 0x81 || i + 1 >= bytes.size()) return std::nullopt;
    const unsigned char t = static_cast<unsigned char>(bytes[++i]);
    if (t < 0x40 || t > 0x7E) return std::nullopt;
    out.push_back(static_cast<char16_t>(0x4E00 + (c - 0x81) * 0x40 + (t - 0x40)));
  }
  return out;
}

TEST(DecodeLeniently, InvalidBytesCostOneReplacementEachAndTheRestStaysReadable) {
  struct Case {
    const char* bytes;
    std::u16string expected;
  } cases[] = {
      {"", u""},
      {"a\x81\x40z", u"a\u4E00z"},
      {"\xFF\x81\x40", u"\uFFFD\u4E00"},             // a byte no character starts with
      {"a\x81", u"a\uFFFD"},                         // cut short at the end
      {"\x81\x81\x40", u"\uFFFD\u4E00"},             // a lead byte without its trail byte
      {"\x81\x20\x81\x41 ok", u"\uFFFD \u4E01 ok"},  // the runs after a space go whole
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeLeniently(c.bytes, ToyStrict), c.expected) << c.bytes;
  }
}

TEST(DecodeLeniently, PiecesAreCutAfterASafeByteNotInsideACharacter) {
  // A cut at four bytes would fall between 0x81 and 0x40; it moves back to after the space.
  EXPECT_EQ(DecodeLeniently("ab \x81\x40"
                            "cd",
                            ToyStrict, 4),
            u"ab \u4E00cd");
}

}  // namespace
}  // namespace postwink
