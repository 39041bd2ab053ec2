// The three windows in template order: the main window first (the start
// window), then the initialise-database window, then the record window.
#pragma once

#include <array>

#include "app/forms/init_database_window.h"
#include "app/forms/main_window.h"
#include "app/forms/record_window.h"

namespace app::forms {

inline constexpr std::array<const Window*, 3> kWindows = {&kMainWindow, &kInitDatabaseWindow, &kRecordWindow};

}  // namespace app::forms
