#include "tools/qkdb/text_out.h"

#include <cmath>
#include <cstdio>

#include "db/codec.h"
#include "platform/system.h"

namespace qkdb {
namespace {

std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  auto yoe = static_cast<unsigned>(y - era * 400);
  unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t* y, unsigned* m, unsigned* d) {
  z += 719468;
  std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  auto doe = static_cast<unsigned>(z - era * 146097);
  unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = static_cast<std::int64_t>(yoe) + era * 400 + (*m <= 2);
}

constexpr std::int64_t kEpochShift = 25569;  // 1899-12-30 to 1970-01-01

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

std::string DateText(double days) {
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
  std::int64_t y;
  unsigned m, d;
  CivilFromDays(day - kEpochShift, &y, &m, &d);
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%04lld-%02u-%02u %02d:%02d:%02d", static_cast<long long>(y), m, d,
                static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  return buffer;
}

bool ParseDate(const std::string& text, double* days) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  int used = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &y, &mo, &d, &used) != 3) return false;
  if (static_cast<std::size_t>(used) != text.size()) {
    int more = 0;
    if (std::sscanf(text.c_str() + used, " %2d:%2d:%2d%n", &h, &mi, &s, &more) != 3) return false;
    if (static_cast<std::size_t>(used + more) != text.size()) return false;
  }
  if (y < 100 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59 || h < 0 || mi < 0 || s < 0)
    return false;
  std::int64_t back_y;
  unsigned back_m, back_d;
  std::int64_t day = DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d));
  CivilFromDays(day, &back_y, &back_m, &back_d);
  if (back_d != static_cast<unsigned>(d)) return false;  // 2023-02-30 and the like
  double serial = static_cast<double>(day + kEpochShift);
  double time = (h * 3600 + mi * 60 + s) / 86400.0;
  *days = serial >= 0 ? serial + time : serial - time;
  return true;
}

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
