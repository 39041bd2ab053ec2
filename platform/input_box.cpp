#include "platform/input_box.h"

namespace platform {

bool InputBoxAccepts(int mode, std::uint32_t c) {
  if (c < 0x20 || c == 0x7F) return true;
  switch (mode) {
    case 2: return c == '-' || (c >= '0' && c <= '9');
    case 3: return c == '-' || c == '.' || (c >= '0' && c <= '9');
    default: return true;
  }
}

std::string TypeIntoInputBox(const InputBoxRequest& request, const std::string& typed) {
  std::string field = request.initial;
  bool selected = !field.empty();
  for (std::size_t i = 0; i < typed.size();) {
    auto lead = static_cast<unsigned char>(typed[i]);
    std::size_t width = (lead & 0x80) != 0 && i + 1 < typed.size() ? 2 : 1;
    std::uint32_t character = width == 2 ? lead * 256u + static_cast<unsigned char>(typed[i + 1]) : lead;
    std::string piece = typed.substr(i, width);
    i += width;
    if (character == '\b') {
      if (selected) {
        field.clear();
      } else if (!field.empty()) {
        // Remove the last character, which may be two bytes long.
        std::size_t last = 0;
        for (std::size_t k = 0; k < field.size();)
          k += ((static_cast<unsigned char>(field[last = k]) & 0x80) != 0 && k + 1 < field.size()) ? 2 : 1;
        field.erase(last);
      }
      selected = false;
      continue;
    }
    if (character < 0x20 || character == 0x7F) continue;
    if (!InputBoxAccepts(request.mode, character)) continue;
    if (selected) field.clear();
    selected = false;
    field += piece;
  }
  return field;
}

}  // namespace platform
