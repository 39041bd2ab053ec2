// The runtime error report: one message box, then the process ends with
// exit code -1 without running the exit handlers.
#pragma once

#include <string>

namespace rt {

// Message of the runtime error table for codes 1..11; empty otherwise.
const char* RuntimeErrorMessage(int code);

// The report text shown for a code and a message (GBK).
std::string FormatRuntimeErrorReport(const char* message, int code);

// ReportError(code): the table's message with its code.
[[noreturn]] void ReportError(int code);
// Any other runtime error: a message, usually with code 0.
[[noreturn]] void RuntimeError(const char* message, int code = 0);

}  // namespace rt
