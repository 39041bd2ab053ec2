#include "commands/date_time.h"

#include <cmath>
#include <cstdio>

#include "platform/civil_date.h"
#include "runtime/value.h"

namespace commands {
namespace {

// 1899-12-30 counted from 1970-01-01.
constexpr std::int64_t kEpochOffset = -platform::kDaysFrom1899To1970;

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
  const platform::CivilDate date = platform::CivilFromDays(day_index + kEpochOffset);
  civil.year = static_cast<int>(date.year);
  civil.month = static_cast<int>(date.month);
  civil.day = static_cast<int>(date.day);
  civil.hour = static_cast<int>(seconds / 3600);
  civil.minute = static_cast<int>(seconds / 60 % 60);
  civil.second = static_cast<int>(seconds % 60);
  return civil;
}

double CivilToDateTime(const CivilTime& c) {
  std::int64_t day_index =
      platform::DaysFromCivil(c.year, static_cast<unsigned>(c.month), static_cast<unsigned>(c.day)) - kEpochOffset;
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
