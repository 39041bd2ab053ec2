// The display texts of numbers, Bool and DateTime values, shared by ToText
// and the message box.
#pragma once

#include "commands/byte_buffer.h"
#include "runtime/value.h"

namespace commands {

// A Float rounded to six significant digits, as ToText does before "%.6g".
double RoundFloatToSixDigits(float x);

// Appends the text of a number ("%u", "%d", decimal Int64, rounded Float as
// "%.6g", Double as "%.13g"), a Bool ("真"/"假") or a DateTime (date text).
// Returns false, appending nothing, for every other type.
bool AppendScalarText(const rt::Value& value, ByteBuffer& out);

}  // namespace commands
