#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

namespace obitrak {

// A time as a file system keeps it: whole seconds since 1970-01-01 00:00 UTC (negative
// before) and the nanoseconds into that second, kept apart so that every time a file can
// carry, 64-bit seconds included, is held and compared without arithmetic that overflows.
struct FileTime {
  std::int64_t seconds = 0;
  std::int32_t nanoseconds = 0;  // 0..999 999 999

  auto operator<=>(const FileTime&) const = default;
};

// A day of the Gregorian calendar extended to every year (year 0 is 1 BC, as ISO 8601
// counts), ordered as the days follow each other.
struct CalendarDate {
  std::int64_t year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31

  auto operator<=>(const CalendarDate&) const = default;
};

// The UTC calendar date of a time, such as a demo's: the day a rating period counts it in.
CalendarDate utcDateOf(const FileTime& time);

// A time in UTC as `format` spells it: %Y the year (at least four digits, "-" before a year
// before 0), %m %d %H %M %S two digits each, %% a percent sign; other characters as they are.
std::string utcTime(const FileTime& time, std::string_view format);

}  // namespace obitrak
