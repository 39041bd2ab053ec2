// The engine's modal password prompt (dialog 554, "密码输入") and the
// InputPasswordDialog command over it.
#pragma once

#include <cstdint>

#include "platform/secret.h"
#include "runtime/value.h"

namespace db {

// Runs the dialog. True on OK with the typed text in *typed (wiped when it
// goes); false on Cancel.
bool RunPasswordDialog(int failed_attempts, platform::Secret* typed);

// InputPasswordDialog(password: Text variable by reference; [failedAttempts
// Int]) -> Bool. OK replaces the variable's text with a copy of the typed
// one; Cancel leaves it unchanged.
void InputPasswordDialog(rt::Value* result, std::int32_t argc, rt::Value* argv);

}  // namespace db
