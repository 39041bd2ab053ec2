#include "tools/qkdb/local_time.h"

#include <cstdio>
#include <ctime>

#include "platform/civil_date.h"
#include "tools/qkdb/text_out.h"

namespace qkdb {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Seconds since 1970 of civil date parts read as UTC.
std::int64_t UtcSeconds(const DateParts& p) {
  return platform::DaysFromCivil(p.year, p.month, p.day) * kSecondsPerDay + p.hour * 3600 + p.minute * 60 + p.second;
}

// "+HH:MM", "-HH:MM", "Z" as minutes east of UTC.
bool ReadZone(const std::string& zone, int* minutes) {
  if (zone == "Z" || zone == "z") {
    *minutes = 0;
    return true;
  }
  auto digit = [&zone](std::size_t i) { return zone[i] >= '0' && zone[i] <= '9'; };
  if (zone.size() != 6 || (zone[0] != '+' && zone[0] != '-') || zone[3] != ':' || !digit(1) || !digit(2) ||
      !digit(4) || !digit(5))
    return false;
  const int hours = (zone[1] - '0') * 10 + (zone[2] - '0'), mins = (zone[4] - '0') * 10 + (zone[5] - '0');
  if (hours > 23 || mins > 59) return false;
  *minutes = (zone[0] == '+' ? 1 : -1) * (hours * 60 + mins);
  return true;
}

}  // namespace

bool LocalDaysFromUnix(std::int64_t seconds, double* days) {
  const auto t = static_cast<std::time_t>(seconds);
  if (static_cast<std::int64_t>(t) != seconds) return false;
  std::tm local{};
#ifdef _WIN32
  if (localtime_s(&local, &t) != 0) return false;
#else
  if (localtime_r(&t, &local) == nullptr) return false;
#endif
  const std::int64_t year = static_cast<std::int64_t>(local.tm_year) + 1900;
  if (year < 100 || year > 9999) return false;
  *days = DaysFromDateTime(year, static_cast<unsigned>(local.tm_mon + 1), static_cast<unsigned>(local.tm_mday),
                           local.tm_hour, local.tm_min, local.tm_sec);
  return true;
}

bool UnixFromLocalDays(double days, std::int64_t* seconds) {
  const DateParts p = PartsOfDays(days);
  std::tm local{};
  local.tm_year = static_cast<int>(p.year - 1900);
  local.tm_mon = static_cast<int>(p.month) - 1;
  local.tm_mday = static_cast<int>(p.day);
  local.tm_hour = p.hour;
  local.tm_min = p.minute;
  local.tm_sec = p.second;
  local.tm_isdst = -1;
  const std::time_t t = std::mktime(&local);
  if (t == static_cast<std::time_t>(-1)) return false;
  *seconds = static_cast<std::int64_t>(t);
  return true;
}

bool ReadIsoTime(const std::string& text, double* local_days) {
  // "YYYY-MM-DDTHH:MM:SS" is 19 characters (a longer year makes it longer);
  // then fractions of a second, then the zone.
  std::size_t end = text.find_first_of(".Zz+", 10);
  const std::size_t minus = text.find('-', 11);
  if (minus != std::string::npos && minus > text.find(':') && minus < end) end = minus;
  if (end == std::string::npos) end = text.size();
  std::size_t zone = end;
  if (zone < text.size() && text[zone] == '.') {
    ++zone;
    const std::size_t digits = zone;
    while (zone < text.size() && text[zone] >= '0' && text[zone] <= '9') ++zone;
    if (zone == digits) return false;
  }
  double naive = 0;
  if (ReadDate(text.substr(0, end), &naive) != DateRead::kOk) return false;
  if (zone == text.size()) {
    *local_days = naive;  // no zone: local time
    return true;
  }
  int offset = 0;
  if (!ReadZone(text.substr(zone), &offset)) return false;
  return LocalDaysFromUnix(UtcSeconds(PartsOfDays(naive)) - static_cast<std::int64_t>(offset) * 60, local_days);
}

std::string IsoUtcText(double local_days) {
  std::int64_t seconds = 0;
  DateParts p = PartsOfDays(local_days);
  if (UnixFromLocalDays(local_days, &seconds)) {
    std::int64_t day = seconds / kSecondsPerDay;
    std::int64_t time = seconds % kSecondsPerDay;
    if (time < 0) {
      time += kSecondsPerDay;
      --day;
    }
    const platform::CivilDate date = platform::CivilFromDays(day);
    p = DateParts{date.year, date.month, date.day, static_cast<int>(time / 3600), static_cast<int>(time / 60 % 60),
                  static_cast<int>(time % 60)};
  }
  // (A time the system cannot place is written as it stands.)
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%04lld-%02u-%02uT%02d:%02d:%02dZ", static_cast<long long>(p.year), p.month, p.day,
                p.hour, p.minute, p.second);
  return buffer;
}

}  // namespace qkdb
