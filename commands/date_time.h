// DateTime values: days since 1899-12-30 00:00, the fraction being the time
// of day (for days before that date the fraction still counts forward from
// midnight, as OLE automation dates do). Proleptic Gregorian calendar.
#pragma once

#include <cstdint>

#include "commands/byte_buffer.h"

namespace commands {

struct CivilTime {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Clamps to the DateTime range (NaN counts as 0) and rounds the time of day
// to the nearest second.
CivilTime DateTimeToCivil(double days);
// The DateTime of a calendar date and time (no range check).
double CivilToDateTime(const CivilTime& civil);

// "%d年%d月%d日" followed by the shortest time part that keeps every
// non-zero component: "%d时%d分%d秒", "%d时%d分", "%d时" or nothing.
void AppendDateTimeText(double days, ByteBuffer& out);

}  // namespace commands
