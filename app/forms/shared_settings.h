// Settings several units of the three windows share.
#pragma once

#include "app/forms/form_model.h"

namespace app::forms {

// The font the main window's buttons and list use: 9 points, regular.
inline constexpr Font kYaHei{.face = "微软雅黑", .height = -12};

// Edit boxes, buttons and the list view take the focus with Tab; labels and
// windows do not.
inline constexpr std::uint32_t kFocusable = kVisible | kTabStop;

}  // namespace app::forms
