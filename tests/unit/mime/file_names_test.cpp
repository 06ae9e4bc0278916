#include "core/mime/file_names.h"

#include <gtest/gtest.h>

#include "core/platform/system.h"

namespace postwink {
namespace {

TEST(SanitizeFileName, MakesEveryNameSafeToCreate) {
  struct Case {
    std::string in;
    std::string out;
  } cases[] = {
      {"re: a/b", "re_ a_b"},
      {"\"*,/:;<>?\\|", "___________"},
      {std::string("a\0b\x1f\x7f", 5), "a_b__"},
      {"\x83\x5c.txt", "\x83\x5c.txt"},  // SO (katakana): trail byte 0x5C stays
      {"\x83/../x", "__.._x"},           // a stray lead byte does not hide "/", and goes itself
      {"a.pdf\xE2", "a.pdf_"},           // a lead byte at the very end: no name Windows can create
      {"CON", "_CON"},
      {"con.txt", "_con.txt"},
      {"Lpt9.tar.gz", "_Lpt9.tar.gz"},
      {"com1 .jpg", "_com1 .jpg"},
      {"nul", "_nul"},
      {"CONOUT$", "_CONOUT$"},
      {"CONSOLE.txt", "CONSOLE.txt"},
      {"COM10", "COM10"},
      {"name.", "name._"},
      {"name ", "name _"},
      {"..", ".._"},
      {"", ""},
  };
  for (Case& c : cases) {
    std::string text = c.in;
    SanitizeFileName(text);
    EXPECT_EQ(text, c.out) << c.in;
    SanitizeFileName(text);
    EXPECT_EQ(text, c.out) << "a second pass changes nothing: " << c.in;
  }
}

// What the system's wide conversion would turn into "?" becomes "_" before the file is made.
TEST(SanitizeFileName, CharactersTheWideNameCannotHoldBecomeUnderscores) {
  struct Case {
    std::string in;
    std::string out;
  } cases[] = {
      {"\x93\xfa\x96\x7b.txt", "\x93\xfa\x96\x7b.txt"},  // 日本 stays
      {"\x80x\xa0y\xfd\xfe\xff", "_x_y___"},             // bytes 932 leaves unassigned
      {"\x85\x40x", "_@x"},                              // an unassigned double-byte code
      {"\x85\x5cx", "__x"},           // its trail byte alone is a "\\", which is replaced
      {"\x83\x20", "_ _"},            // a lead byte before a byte that cannot trail
      {"a\x83", "a_"},                // a lead byte at the end
      {"\x83\x5c\xe0", "\x83\x5c_"},  // ソ stays, the lone lead byte after it does not
  };
  const CodePage& codePage = PlatformSystem().codePage;
  for (Case& c : cases) {
    std::string text = c.in;
    SanitizeFileName(text, codePage);
    EXPECT_EQ(text, c.out) << c.in;
    EXPECT_EQ(codePage.Widen(text).find(u'?'), std::u16string::npos) << c.in;
  }
}

}  // namespace
}  // namespace postwink
