// The template block of the three windows, as the program header hands it to
// the window runtime.
#pragma once

#include <cstdint>
#include <span>

namespace app::forms {

std::span<const std::uint8_t> TemplateBlock();

}  // namespace app::forms
