// Output helpers of qkdb: JSON texts from GBK, dates, hex.
#pragma once

#include <cstdint>
#include <string>

namespace qkdb {

// A JSON string literal (quotes included) of a GBK text, as UTF-8.
std::string JsonString(const std::string& gbk);
// "YYYY-MM-DD HH:MM:SS" of a date (days since 1899-12-30), to the nearest
// second; the date is clamped to the years 100..9999 first.
std::string DateText(double days);
// Parses "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS"; false when malformed.
bool ParseDate(const std::string& text, double* days);
std::string Hex(const unsigned char* data, std::size_t n);
bool ParseHex(const std::string& text, std::string* bytes);
// A JSON number for a double (null for NaN and infinities).
std::string JsonNumber(double d);

}  // namespace qkdb
