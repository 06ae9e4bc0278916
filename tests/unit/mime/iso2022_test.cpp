#include "core/mime/iso2022.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace postwink {
namespace {

TEST(JisToShiftJis, EscapeRules) {
  struct Case {
    const char* what;
    std::string_view source;
    std::string_view expected;
  } cases[] = {
      {"ESC $ B .. ESC ( B", "\x1B$BF|K\\8l\x1B(B!", "\x93\xFA\x96\x7B\x8C\xEA!"},  // 日本語
      {"ESC $ @ is kanji too", "\x1B$@$\"\x1B(J", "\x82\xA0"},                      // あ
      {"ESC ( H ends kanji", "\x1B$B$\"\x1B(Hab",
       "\x82\xA0"
       "ab"},
      {"ESC $ other is copied", "\x1B$Ax", "\x1B$Ax"},
      {"ESC ( other ends kanji and is copied", "\x1B$B$\"\x1B(Z$\"", "\x82\xA0\x1B(Z$\""},
      {"ESC ( I: half-width katakana up to ESC ( B", "\x1B$B$\"\x1B(I12\x1B(B3",
       "\x82\xA0\xB1\xB2"
       "3"},
      {"ESC $ ( B is JIS X 0208", "\x1B$(B$\"\x1B(B", "\x82\xA0"},
      {"JIS X 0212 has no Shift_JIS form", "\x1B$(D0!\x1B(Ba", "?a"},
      {"ESC K and ESC H", "\x1BK$\"\x1BH$\"", "\x82\xA0$\""},
      {"ESC * I shift with ESC N", "\x1B*I\x1BN1\x1B*B\x1BN1", "\xB1\x1BN1"},
      {"ESC * other is dropped", "a\x1B*Zb", "ab"},
      {"other ESC pairs are copied",
       "\x1B"
       "ab",
       "\x1B"
       "ab"},
      {"CR LF end kanji mode", "\x1B$B$\"\r\n$\"", "\x82\xA0\r\n$\""},
      {"SO/SI katakana in either mode",
       "\x0E"
       "12\x0F"
       "3",
       "\xB1\xB2"
       "3"},
      {"SO run stops at CR",
       "\x0E"
       "1\r\n1",
       "\xB1\r\n1"},
      {"a pair with a non-JIS byte is copied", "\x1B$B$ ", "$ "},
      {"8-bit bytes pass through", "\x82\xA0\x1B$B\x93\xFA", "\x82\xA0\x93\xFA"},
      {"ESC at the end ends", "ab\x1B", "ab"},
      {"cut escape ends", "ab\x1B$", "ab"},
      {"half a kanji pair at the end ends", "\x1B$B$\"$", "\x82\xA0"},
  };
  for (const Case& c : cases) EXPECT_EQ(JisToShiftJis(c.source), c.expected) << c.what;
}

// JIS X 0212 comes out as EUC-JP runs between the Shift_JIS ones, in order.
TEST(ReadIso2022Jp, JisX0212AsEucJpRuns) {
  std::vector<std::pair<JisRun, std::string>> runs;
  ReadIso2022Jp("a\x1B$(D0!0\"\x1B$B$\"\x1B(Bz", [&runs](JisRun kind, std::string_view bytes) {
    runs.emplace_back(kind, std::string(bytes));
  });
  const std::vector<std::pair<JisRun, std::string>> expected = {
      {JisRun::kShiftJis, "a"},
      {JisRun::kEucJp, "\x8F\xB0\xA1\x8F\xB0\xA2"},
      {JisRun::kShiftJis, "\x82\xA0z"}};
  EXPECT_EQ(runs, expected);
}

TEST(JisToShiftJis, ConvertsEveryRowOfJisX0208Arithmetic) {
  // Row/cell corners on both sides of the 0x5F split and the c2 >= 0x60 step.
  struct Case {
    unsigned char c1, c2, s1, s2;
  } cases[] = {{0x21, 0x21, 0x81, 0x40}, {0x21, 0x60, 0x81, 0x80}, {0x22, 0x21, 0x81, 0x9F},
               {0x5E, 0x7E, 0x9F, 0xFC}, {0x5F, 0x21, 0xE0, 0x40}, {0x7E, 0x7E, 0xEF, 0xFC}};
  for (const Case& c : cases) {
    std::string source = "\x1B$B";
    source += static_cast<char>(c.c1);
    source += static_cast<char>(c.c2);
    std::string expected{static_cast<char>(c.s1), static_cast<char>(c.s2)};
    EXPECT_EQ(JisToShiftJis(source), expected) << std::hex << int{c.c1} << " " << int{c.c2};
  }
}

TEST(Iso2022KrToEucKr, DropsDesignatorsAndSetsBit7BetweenShifts) {
  EXPECT_EQ(Iso2022KrToEucKr("\x1B$)Cab\x0E!B \x0F"
                             "c"),
            "ab\xA1\xC2 c");
  EXPECT_EQ(Iso2022KrToEucKr("\x1B$)"), "\x1B$)");
}

}  // namespace
}  // namespace postwink
