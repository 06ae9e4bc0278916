#include "core/mime/date.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

class FixedZone final : public TimeZoneSource {
 public:
  explicit FixedZone(std::optional<int> minutes) : minutes_(minutes) {}
  std::optional<int> LocalOffsetMinutes() const override {
    ++calls;
    return minutes_;
  }
  mutable int calls = 0;

 private:
  std::optional<int> minutes_;
};

std::string Shown(std::string_view value, int localMinutes = 540) {
  FixedZone source(localMinutes);
  LocalZone zone{source};
  return FormatDateText(value, "yy/MM/dd", "HH:mm:ss", zone).text;
}

TEST(FormatDateText, ExamplesWithTheLocalZoneAtPlusNine) {
  struct Case {
    std::string_view value;
    std::string_view shown;
  } cases[] = {
      {"Tue, 5 Jul 2005 14:32:10 +0900", "05/07/05 14:32:10"},
      {"Tue, 5 Jul 2005 05:32:10 GMT", "05/07/05 14:32:10"},
      {"Tue, 5 Jul 2005 05:32:10 ut", "05/07/05 14:32:10"},
      {"Tue, 5 Jul 2005 05:32:10 +0000 (UTC)", "05/07/05 14:32:10"},
      {"5 Jul 2005 14:32:10 +0900", "05/07/05 14:32:10"},
      {"Tue Jul  5 14:32:10 2005 +0900", "05/07/05 14:32:10"},
      {"Tue, 5 Jul 2005 14:32 +0900", "05/07/05 14:32:00"},
      {"Tue, 5-Jul-05 14:32:10 +0900", "05/07/05 14:32:10"},
      {"Tue, 5 Jul 2005 01:02:03 -0430", "05/07/05 14:32:03"},
      // Zone names: RFC 5322's, UTC and JST shift; any other name stays as written.
      {"Tue, 1 Aug 2006 13:58:02 EDT", "06/08/02 02:58:02"},
      {"Tue, 5 Jul 2005 00:32:10 EST", "05/07/05 14:32:10"},
      {"Tue, 5 Jul 2005 23:32:10 CDT", "05/07/06 13:32:10"},
      {"Tue, 5 Jul 2005 22:32:10 cst", "05/07/06 13:32:10"},
      {"Tue, 5 Jul 2005 21:32:10 MDT", "05/07/06 12:32:10"},
      {"Tue, 5 Jul 2005 21:32:10 MST", "05/07/06 13:32:10"},
      {"Tue, 5 Jul 2005 20:32:10 PDT", "05/07/06 12:32:10"},
      {"Tue, 5 Jul 2005 20:32:10 PST", "05/07/06 13:32:10"},
      {"Tue, 5 Jul 2005 05:32:10 UTC", "05/07/05 14:32:10"},
      {"Tue, 5 Jul 2005 05:32:10 Z", "05/07/05 14:32:10"},
      {"Tue, 5 Jul 2005 14:32:10 JST", "05/07/05 14:32:10"},
      {"Tue, 5 Jul 2005 14:32:10 CET", "05/07/05 14:32:10"},
      {"Tue, 5 Jul 2005 14:32:10 A", "05/07/05 14:32:10"},
      {"Tue, 5 JUL 2005 14:32:10", "05/07/05 14:32:10"},
      {"Tue, 5 July 2005 14:32:10 +0900", "Tue, 5 July 2005 14:32:10 +0900"},
      {"Sat, 31 Dec 2005 20:00:00 +0000", "06/01/01 05:00:00"},  // carries into the next year
      {"Tue, 1 Mar 2005 00:30:00 +1000", "05/02/28 23:30:00"},   // and back across February
      {"Mon, 1 Mar 2004 00:30:00 +1000", "04/02/29 23:30:00"},   // leap year
      {"Sat, 31 Apr 2005 14:32:10 +0900", "Sat, 31 Apr 2005 14:32:10 +0900"},  // impossible
      {"Tue, 5 Jul 2005 24:00:00 +0900", "Tue, 5 Jul 2005 24:00:00 +0900"},
      {"Tue, 0 Jul 2005 14:32:10 +0900", "Tue, 0 Jul 2005 14:32:10 +0900"},
      {"Tue, 99999999999999999999 Jul 2005 14:32:10 +0900",
       "Tue, 99999999999999999999 Jul 2005 14:32:10 +0900"},
      {"Tue, 5 Jul 2005 14:32:10 +99999999999999", "05/07/05 14:32:10"},  // too far: unshifted
      {"", ""},
      {"garbage", "garbage"},
  };
  for (const Case& c : cases) EXPECT_EQ(Shown(c.value), c.shown) << c.value;
}

TEST(FormatDateText, ReportsWhetherTheDateWasParsed) {
  FixedZone source(540);
  LocalZone zone{source};
  EXPECT_TRUE(
      FormatDateText("Tue, 5 Jul 2005 14:32:10 +0900", "yy/MM/dd", "HH:mm:ss", zone).parsed);
  EXPECT_FALSE(FormatDateText("Tue, 31 Apr 2005 14:32:10", "yy/MM/dd", "HH:mm:ss", zone).parsed);
  EXPECT_FALSE(FormatDateText("yesterday", "yy/MM/dd", "HH:mm:ss", zone).parsed);
}

TEST(FormatDateText, TwentyFourHourShiftIsNotApplied) {
  EXPECT_EQ(Shown("Sat, 5 Jul 2025 14:32:10 +1400", -600), "25/07/05 14:32:10");
  EXPECT_EQ(Shown("Sat, 5 Jul 2025 14:32:10 +1359", -600), "25/07/04 14:33:10");
}

TEST(FormatDateText, TwoAndThreeDigitYears) {
  struct Case {
    std::string_view year;
    std::string_view shown;
  } cases[] = {{"99", "1999"}, {"70", "2070"}, {"71", "1971"}, {"105", "2005"}, {"1900", "1900"}};
  for (const Case& c : cases) {
    FixedZone source(540);
    LocalZone zone{source};
    const std::string value = "Tue, 5 Jul " + std::string(c.year) + " 14:32:10 +0900";
    EXPECT_EQ(FormatDateText(value, "yyyy", "", zone).text, std::string(c.shown) + " 14:32:10")
        << c.year;
  }
}

TEST(FormatDateText, LongValuesAreCutUnparsed) {
  const std::string value = "Tue, 5 Jul 2005 14:32:10 +0900" + std::string(270, 'x');
  const FormattedDate shown = [&] {
    FixedZone source(540);
    LocalZone zone{source};
    return FormatDateText(value, "yy/MM/dd", "HH:mm:ss", zone);
  }();
  EXPECT_FALSE(shown.parsed);
  EXPECT_EQ(shown.text, value.substr(0, 254));
  // The cut counts characters and never leaves half of one.
  const std::string kanji = std::string(253, 'a') + "日" + std::string(10, 'b');
  EXPECT_EQ(Shown(kanji), std::string(253, 'a') + "日");
  EXPECT_EQ(Shown(std::string(255, 'a')), std::string(255, 'a'));
}

TEST(FormatDateText, PicturesAndDefaults) {
  FixedZone source(540);
  LocalZone zone{source};
  const std::string_view value = "Tue, 5 Jul 2005 09:02:03 +0900";
  EXPECT_EQ(FormatDateText(value, "", "", zone).text, "2005/07/05 9:02:03");
  EXPECT_EQ(FormatDateText(value, "d'.'M'.''s' yyyy", "h:m:s tt", zone).text,
            "5.7.'s 2005 9:2:3 AM");
}

TEST(MatchDatePattern, PatternLanguage) {
  FixedZone source(0);
  LocalZone zone{source};
  struct Case {
    std::string_view pattern;
    std::string_view value;
    bool matches;
    int year, month, day, hour, minute, second;
  } cases[] = {
      {"d/M/y", "24/12/2004", true, 2004, 12, 24, 0, 0, 0},
      {"d/M/y", "24/0/2004", false, 0, 0, 0, 0, 0, 0},
      {"*(d m y", "anything (3 Feb 2001", true, 2001, 2, 3, 0, 0, 0},
      {"w d m y h:n", "Mon   3 feb 1999 :", true, 1999, 2, 3, 0, 0, 0},  // no digits read as 0
      {"d m y", "3 Febr 1999", false, 0, 0, 0, 0, 0, 0},
      {"d m y", "3 Feb", true, 2000, 2, 3, 0, 0, 0},  // no year digits: 0, then 2000
      {"d m y", "3 Feb 2001 trailing words", true, 2001, 2, 3, 0, 0, 0},
      {"d m y!", "3 Feb 2001", false, 0, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    std::optional<DateTime> t = MatchDatePattern(c.pattern, c.value, zone);
    ASSERT_EQ(t.has_value(), c.matches) << c.pattern << " / " << c.value;
    if (!t) continue;
    EXPECT_EQ(t->year, c.year);
    EXPECT_EQ(t->month, c.month);
    EXPECT_EQ(t->day, c.day);
    EXPECT_EQ(t->hour, c.hour);
    EXPECT_EQ(t->minute, c.minute);
    EXPECT_EQ(t->second, c.second);
  }
}

TEST(LocalZone, ReadLazilyOnceAndFallingBackToPlusNine) {
  FixedZone source(60);
  LocalZone zone{source};
  DateTime t{2005, 7, 5, 12, 0, 0, 0};
  ShiftToLocal(t, "+0000", zone);
  ShiftToLocal(t, "+0000", zone);
  EXPECT_EQ(source.calls, 1);
  EXPECT_EQ(zone.localZoneMinutes, 60);
  EXPECT_EQ(t.hour, 14);
  RefreshLocalZone(zone);
  EXPECT_EQ(source.calls, 2);

  FixedZone broken(std::nullopt);
  LocalZone fallback{broken};
  RefreshLocalZone(fallback);
  EXPECT_EQ(fallback.localZoneMinutes, 540);
}

TEST(ShiftToLocal, InvalidDateIsNotShifted) {
  FixedZone source(540);
  LocalZone zone{source};
  DateTime t{2005, 4, 31, 12, 0, 0, 0};
  ShiftToLocal(t, "+0000", zone);
  EXPECT_EQ(t.day, 31);
  EXPECT_EQ(t.hour, 12);
}

}  // namespace
}  // namespace postwink
