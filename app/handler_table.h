// The application's handler table: the code base against which the window
// templates' handler indexes are resolved.
#pragma once

#include <cstdint>
#include <span>

#include "runtime/program.h"

namespace app {

std::span<const rt::Handler> HandlerTable();

}  // namespace app
