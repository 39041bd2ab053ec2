// Output helpers of qkdb: JSON texts from GBK, dates, hex.
#pragma once

#include <cstdint>
#include <string>

namespace qkdb {

// A JSON string literal (quotes included) of a GBK text, as UTF-8.
std::string JsonString(const std::string& gbk);
// The civil date and time of a stored date, to the nearest second, after
// clamping it to the years 100..9999.
struct DateParts {
  std::int64_t year = 1899;
  unsigned month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};
DateParts PartsOfDays(double days);

// "YYYY-MM-DD HH:MM:SS" of a date (days since 1899-12-30), to the nearest
// second; the date is clamped to the years 100..9999 first.
std::string DateText(double days);
// The dates a record holds: from the first second of the year 100 to the
// last second of the year 9999, as the notebook's texts show them.
inline constexpr const char* kDateRange = "0100-01-01 00:00:00 to 9999-12-31 23:59:59";

enum class DateRead { kOk, kMalformed, kOutOfRange };
// Reads "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS" (a "T" may stand for the
// blank). A well-formed date outside the years 100..9999 is kOutOfRange.
DateRead ReadDate(const std::string& text, double* days);
// The same, true only for kOk.
bool ParseDate(const std::string& text, double* days);
// Days since 1899-12-30 of a civil date and time (the date already valid).
double DaysFromDateTime(std::int64_t year, unsigned month, unsigned day, int hour, int minute, int second);
std::string Hex(const unsigned char* data, std::size_t n);
bool ParseHex(const std::string& text, std::string* bytes);
// A JSON number for a double (null for NaN and infinities).
std::string JsonNumber(double d);

}  // namespace qkdb
