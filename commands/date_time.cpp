#include "commands/date_time.h"

#include <cmath>
#include <cstdio>

#include "runtime/value.h"

namespace commands {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int* year, int* month, int* day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0));
  *month = static_cast<int>(m);
  *day = static_cast<int>(d);
}

// 1899-12-30 counted from 1970-01-01.
constexpr std::int64_t kEpochOffset = -25569;

}  // namespace

CivilTime DateTimeToCivil(double days) {
  if (std::isnan(days)) days = 0;
  if (days < rt::kMinDateTime) days = rt::kMinDateTime;
  if (days > rt::kMaxDateTime) days = rt::kMaxDateTime;
  double whole = std::trunc(days);
  auto day_index = static_cast<std::int64_t>(whole);
  auto seconds = static_cast<std::int64_t>(std::llround(std::fabs(days - whole) * 86400.0));
  if (seconds >= 86400) {  // rounded up to the next midnight
    seconds -= 86400;
    ++day_index;
  }
  CivilTime civil;
  CivilFromDays(day_index + kEpochOffset, &civil.year, &civil.month, &civil.day);
  civil.hour = static_cast<int>(seconds / 3600);
  civil.minute = static_cast<int>(seconds / 60 % 60);
  civil.second = static_cast<int>(seconds % 60);
  return civil;
}

double CivilToDateTime(const CivilTime& c) {
  std::int64_t day_index =
      DaysFromCivil(c.year, static_cast<unsigned>(c.month), static_cast<unsigned>(c.day)) - kEpochOffset;
  double time = (c.hour * 3600.0 + c.minute * 60.0 + c.second) / 86400.0;
  // Before 1899-12-30 the fraction counts forward from midnight but the day
  // part is negative, so the time is subtracted.
  return day_index < 0 ? static_cast<double>(day_index) - time : static_cast<double>(day_index) + time;
}

void AppendDateTimeText(double days, ByteBuffer& out) {
  CivilTime c = DateTimeToCivil(days);
  char text[96];
  int n = std::snprintf(text, sizeof text, "%d年%d月%d日", c.year, c.month, c.day);
  if (c.second != 0) {
    n += std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), "%d时%d分%d秒", c.hour, c.minute,
                       c.second);
  } else if (c.minute != 0) {
    n += std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), "%d时%d分", c.hour, c.minute);
  } else if (c.hour != 0) {
    n += std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), "%d时", c.hour);
  }
  out.Append(text, static_cast<std::size_t>(n));
}

}  // namespace commands
