// Proleptic Gregorian dates as days counted from 1970-01-01, and back. The
// DateTime values of records count days from 1899-12-30 instead; the
// difference is kDaysFrom1899To1970.
#pragma once

#include <cstdint>

namespace platform {

struct CivilDate {
  std::int64_t year = 1970;
  unsigned month = 1;  // 1..12
  unsigned day = 1;    // 1..31
};

inline constexpr std::int64_t kDaysFrom1899To1970 = 25569;

// Any month 1..12 and day 1..31; days past a month's end run into the next.
constexpr std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto year_of_era = static_cast<unsigned>(year - era * 400);
  const unsigned day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + static_cast<std::int64_t>(day_of_era) - 719468;
}

constexpr CivilDate CivilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const auto day_of_era = static_cast<unsigned>(days - era * 146097);
  const unsigned year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const unsigned day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const unsigned shifted_month = (5 * day_of_year + 2) / 153;  // March = 0
  CivilDate date;
  date.day = day_of_year - (153 * shifted_month + 2) / 5 + 1;
  date.month = shifted_month < 10 ? shifted_month + 3 : shifted_month - 9;
  date.year = static_cast<std::int64_t>(year_of_era) + era * 400 + (date.month <= 2 ? 1 : 0);
  return date;
}

static_assert(DaysFromCivil(1970, 1, 1) == 0);
static_assert(DaysFromCivil(1899, 12, 30) == -kDaysFrom1899To1970);
static_assert(DaysFromCivil(2000, 3, 1) == 11017);
static_assert(CivilFromDays(11016).year == 2000 && CivilFromDays(11016).month == 2 && CivilFromDays(11016).day == 29);
static_assert(CivilFromDays(-719529).year == -1 && CivilFromDays(-719529).month == 12);

}  // namespace platform
