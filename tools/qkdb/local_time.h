// The notebook stores local times (days since 1899-12-30); other password
// managers write UTC: KeePassXC as ISO 8601 text ending in "Z", Firefox as
// milliseconds since 1970. These convert between the two through the
// system's time zone rules.
#pragma once

#include <cstdint>
#include <string>

namespace qkdb {

// Local days of a moment given as seconds since 1970 UTC; false when the
// system cannot place it.
bool LocalDaysFromUnix(std::int64_t seconds, double* days);
// Seconds since 1970 UTC of a local time (to the nearest second); false when
// the system cannot place it.
bool UnixFromLocalDays(double days, std::int64_t* seconds);

// Reads ISO 8601 as KeePassXC writes it: "YYYY-MM-DDTHH:MM:SS", with
// optional fractions of a second and "Z" or "+HH:MM"/"-HH:MM" (UTC moments,
// turned into local time), or without a zone (taken as local time). False
// when malformed or outside the years 100..9999.
bool ReadIsoTime(const std::string& text, double* local_days);
// "YYYY-MM-DDTHH:MM:SSZ" of a local time.
std::string IsoUtcText(double local_days);

}  // namespace qkdb
