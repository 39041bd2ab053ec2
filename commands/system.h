// System, file and configuration commands: message and input boxes, the
// program folder, INI values, file tests and deletion, the clipboard, the
// current time and opening a web address. The desktop side of each goes
// through platform::Host (boxes, clipboard, browser, clock) or the platform's
// file and INI calls.
#pragma once

#include <cstdint>

#include "runtime/value.h"

namespace commands {

// MessageBox(message, flags, [caption], [owner]) -> Int: 0 OK, 1 Cancel,
// 2 Abort, 3 Retry, 4 Ignore, 5 Yes, 6 No.
void MessageBox(rt::Value* result, std::int32_t argc, rt::Value* argv);
// InputBox([prompt], [caption], [initial], variable by reference, [mode],
// [owner]) -> Bool: true on OK, the variable then holds the entry.
void InputBox(rt::Value* result, std::int32_t argc, rt::Value* argv);
// GetProgramFolder() -> Text, without a trailing backslash.
void GetProgramFolder(rt::Value* result, std::int32_t argc, rt::Value* argv);
// ReadIniValue(file, section, key, [default]) -> Text.
void ReadIniValue(rt::Value* result, std::int32_t argc, rt::Value* argv);
// WriteIniValue(file, section, [key], [value]) -> Bool.
void WriteIniValue(rt::Value* result, std::int32_t argc, rt::Value* argv);
// FileExists(name with wildcards) -> Bool; folders count.
void FileExists(rt::Value* result, std::int32_t argc, rt::Value* argv);
// DeleteFile(name) -> Bool.
void DeleteFile(rt::Value* result, std::int32_t argc, rt::Value* argv);
// SetClipboardText(text) -> Bool.
void SetClipboardText(rt::Value* result, std::int32_t argc, rt::Value* argv);
// Now() -> DateTime, whole seconds of local time.
void Now(rt::Value* result, std::int32_t argc, rt::Value* argv);
// OpenWebAddress([address]): no result.
void OpenWebAddress(rt::Value* result, std::int32_t argc, rt::Value* argv);

}  // namespace commands
