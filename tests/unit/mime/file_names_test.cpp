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
      // Every script stays as it is: Windows names are UTF-16.
      {"견적서.xlsx", "견적서.xlsx"},
      {"Réunion 🎉 会议.pdf", "Réunion 🎉 会议.pdf"},
      {"ソ表.txt", "ソ表.txt"},
      {"a\xC2\x85"
       "b",
       "a_b"},                  // a C1 control (NEXT LINE)
      {"\x83/../x", "__.._x"},  // a byte that is no UTF-8 goes, and hides no "/"
      {"a.pdf\xE2", "a.pdf_"},  // a character cut short at the very end
      {"\xE6\x97/x", "__x"},
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
