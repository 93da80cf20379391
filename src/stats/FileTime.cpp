#include "stats/FileTime.h"

namespace obitrak {

namespace {

constexpr std::int64_t kSecondsPerDay = 86'400;

struct UtcTime {
  CalendarDate date;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Days since 1970-01-01 to a date, after H. Hinnant's "chrono-compatible low-level date
// algorithms": whole eras of 400 years, then the year of the era, counted from March.
// Every step stays far inside 64 bits for any 64-bit count of seconds.
CalendarDate dateOfDay(std::int64_t days) {
  const std::int64_t z = days + 719'468;
  const std::int64_t era = (z >= 0 ? z : z - 146'096) / 146'097;
  const std::int64_t dayOfEra = z - era * 146'097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1'460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
  const auto day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
  const auto month =
      static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
  return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

UtcTime utcOf(const FileTime& time) {
  // Floor division without a product that could leave the 64-bit range.
  std::int64_t days = time.seconds / kSecondsPerDay;
  std::int64_t rest = time.seconds % kSecondsPerDay;
  if (rest < 0) {
    rest += kSecondsPerDay;
    --days;
  }
  const auto second = static_cast<int>(rest);
  return {dateOfDay(days), second / 3600, second / 60 % 60, second % 60};
}

void appendDigits(std::string& out, std::uint64_t value, std::size_t width) {
  const std::string digits = std::to_string(value);
  if (digits.size() < width) out.append(width - digits.size(), '0');
  out += digits;
}

void appendYear(std::string& out, std::int64_t year) {
  if (year < 0) out += '-';
  // The magnitude of the most negative year fits an unsigned value without overflow.
  const std::uint64_t magnitude =
      year < 0 ? 0 - static_cast<std::uint64_t>(year) : static_cast<std::uint64_t>(year);
  appendDigits(out, magnitude, 4);
}

}  // namespace

CalendarDate utcDateOf(const FileTime& time) {
  return utcOf(time).date;
}

std::string utcTime(const FileTime& time, std::string_view format) {
  const UtcTime t = utcOf(time);
  std::string out;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 == format.size()) {
      out += format[i];
      continue;
    }
    switch (format[++i]) {
      case 'Y':
        appendYear(out, t.date.year);
        break;
      case 'm':
        appendDigits(out, static_cast<std::uint64_t>(t.date.month), 2);
        break;
      case 'd':
        appendDigits(out, static_cast<std::uint64_t>(t.date.day), 2);
        break;
      case 'H':
        appendDigits(out, static_cast<std::uint64_t>(t.hour), 2);
        break;
      case 'M':
        appendDigits(out, static_cast<std::uint64_t>(t.minute), 2);
        break;
      case 'S':
        appendDigits(out, static_cast<std::uint64_t>(t.second), 2);
        break;
      default:
        out += format[i];
    }
  }
  return out;
}

}  // namespace obitrak
