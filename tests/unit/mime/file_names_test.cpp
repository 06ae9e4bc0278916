#include "core/mime/file_names.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace postwink
