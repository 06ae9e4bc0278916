#pragma once
// The Date field of a message as the text of the "Received" column: the sender's time shifted
// into the local zone and rendered by pictures such as "yy/MM/dd" and "HH:mm:ss".

#include <optional>
#include <string>
#include <string_view>

#include "core/platform/system.h"

namespace postwink {

// A calendar time as the date patterns fill it; the weekday is never filled in.
struct DateTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int milliseconds = 0;
};

// The program's local offset from UTC, read lazily from the system and again whenever the
// POP3 session gets a STAT answer. The program keeps one and hands it to whatever formats dates.
struct LocalZone {
  const TimeZoneSource& source;
  int localZoneMinutes = -1;  // east positive; -1 until first read
};

// Re-reads the offset; 540 minutes (+09:00) when the system cannot tell.
void RefreshLocalZone(LocalZone& zone);

// Shifts the time in place from the zone of `zoneText` (+HHMM/-HHMM, or a name: UT, UTC, GMT,
// Z, EST/EDT, CST/CDT, MST/MDT, PST/PDT, JST) to local time. Another zone name or no zone
// leaves the time as written; so does a shift of 24 hours or more, or a time that is not a
// valid date.
void ShiftToLocal(DateTime& time, std::string_view zoneText, LocalZone& zone);

// Matches the value against a date pattern (letters w d M m y h H n s t, space, "*", and bytes
// that must be equal) and shifts the result to local time; nullopt when it does not match.
// What is left of the value after the pattern is ignored.
std::optional<DateTime> MatchDatePattern(std::string_view pattern, std::string_view value,
                                         LocalZone& zone);

struct FormattedDate {
  std::string text;
  bool parsed = false;
};

// The display text of a Date value: date picture, one space, time picture when one of the five
// date patterns matches and the date is valid; otherwise the value unchanged (cut to 254 bytes
// when it is 256 bytes or longer). Pictures: yyyy yy y MM M dd d HH H hh h mm m ss s tt t, text
// in single quotes; an empty picture is the default form ("yyyy/MM/dd", "H:mm:ss").
FormattedDate FormatDateText(std::string_view value, std::string_view datePicture,
                             std::string_view timePicture, LocalZone& zone);

}  // namespace postwink
