#include "tools/qkdb/text_out.h"

#include <cmath>
#include <cstdio>

#include "db/codec.h"
#include "platform/civil_date.h"
#include "platform/system.h"

namespace qkdb {
namespace {

constexpr std::int64_t kEpochShift = platform::kDaysFrom1899To1970;

}  // namespace

std::string JsonString(const std::string& gbk) {
  std::string utf8 = platform::GbkToUtf8(gbk);
  std::string out = "\"";
  for (unsigned char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char buffer[8];
          std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
          out += buffer;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

DateParts PartsOfDays(double days) {
  days = db::ClampDateTime(days);
  // OLE dates before 1899-12-30 count the day backwards and the time
  // forwards; take whole seconds from the signed value's parts.
  double whole = std::trunc(days);
  double fraction = std::fabs(days - whole);
  auto seconds = static_cast<std::int64_t>(std::llround(fraction * 86400.0));
  auto day = static_cast<std::int64_t>(whole);
  if (seconds >= 86400) {
    seconds -= 86400;
    day += days < 0 ? -1 : 1;
  }
  const platform::CivilDate date = platform::CivilFromDays(day - kEpochShift);
  DateParts parts;
  parts.year = date.year;
  parts.month = date.month;
  parts.day = date.day;
  parts.hour = static_cast<int>(seconds / 3600);
  parts.minute = static_cast<int>(seconds / 60 % 60);
  parts.second = static_cast<int>(seconds % 60);
  return parts;
}

std::string DateText(double days) {
  const DateParts p = PartsOfDays(days);
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%04lld-%02u-%02u %02d:%02d:%02d", static_cast<long long>(p.year), p.month, p.day,
                p.hour, p.minute, p.second);
  return buffer;
}

namespace {

// Reads 1..max_digits decimal digits at text[*at].
bool ReadNumber(const std::string& text, std::size_t* at, std::size_t max_digits, long long* n) {
  std::size_t start = *at;
  *n = 0;
  while (*at < text.size() && *at - start < max_digits && text[*at] >= '0' && text[*at] <= '9')
    *n = *n * 10 + (text[(*at)++] - '0');
  return *at > start && (*at >= text.size() || text[*at] < '0' || text[*at] > '9');
}

bool Expect(const std::string& text, std::size_t* at, char c) {
  if (*at >= text.size() || text[*at] != c) return false;
  ++*at;
  return true;
}

}  // namespace

double DaysFromDateTime(std::int64_t year, unsigned month, unsigned day, int hour, int minute, int second) {
  double serial = static_cast<double>(platform::DaysFromCivil(year, month, day) + kEpochShift);
  double time = (hour * 3600 + minute * 60 + second) / 86400.0;
  // Before 1899-12-30 the day counts backwards and the time forwards.
  return serial >= 0 ? serial + time : serial - time;
}

DateRead ReadDate(const std::string& text, double* days) {
  std::size_t at = 0;
  long long y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  if (!ReadNumber(text, &at, 6, &y) || !Expect(text, &at, '-') || !ReadNumber(text, &at, 2, &mo) ||
      !Expect(text, &at, '-') || !ReadNumber(text, &at, 2, &d))
    return DateRead::kMalformed;
  if (at < text.size()) {
    if (text[at] != ' ' && text[at] != 'T') return DateRead::kMalformed;
    ++at;
    if (!ReadNumber(text, &at, 2, &h) || !Expect(text, &at, ':') || !ReadNumber(text, &at, 2, &mi) ||
        !Expect(text, &at, ':') || !ReadNumber(text, &at, 2, &s) || at != text.size())
      return DateRead::kMalformed;
  }
  if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59) return DateRead::kMalformed;
  // 2023-02-30 and the like.
  if (platform::CivilFromDays(platform::DaysFromCivil(2000 + y % 400, static_cast<unsigned>(mo), static_cast<unsigned>(d))).day !=
      static_cast<unsigned>(d))
    return DateRead::kMalformed;
  if (y < 100 || y > 9999) return DateRead::kOutOfRange;
  *days = DaysFromDateTime(y, static_cast<unsigned>(mo), static_cast<unsigned>(d), static_cast<int>(h),
                           static_cast<int>(mi), static_cast<int>(s));
  return DateRead::kOk;
}

bool ParseDate(const std::string& text, double* days) { return ReadDate(text, days) == DateRead::kOk; }

std::string Hex(const unsigned char* data, std::size_t n) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(2 * n);
  for (std::size_t i = 0; i < n; ++i) {
    out += kDigits[data[i] >> 4];
    out += kDigits[data[i] & 15];
  }
  return out;
}

bool ParseHex(const std::string& text, std::string* bytes) {
  if (text.size() % 2 != 0) return false;
  bytes->clear();
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  for (std::size_t i = 0; i < text.size(); i += 2) {
    int hi = nibble(text[i]), lo = nibble(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes->push_back(static_cast<char>(hi * 16 + lo));
  }
  return true;
}

std::string JsonNumber(double d) {
  if (!std::isfinite(d)) return "null";
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", d);
  return buffer;
}

}  // namespace qkdb
