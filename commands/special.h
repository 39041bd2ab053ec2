// Special commands.
#pragma once

#include <cstdint>

#include "runtime/value.h"

namespace commands {

// Delay(milliseconds Int): waits while pending messages keep being
// processed (a busy loop, so the windows stay responsive).
void Delay(rt::Value* result, std::int32_t argc, rt::Value* argv);

}  // namespace commands
