// The input box: what it shows and which characters its edit field takes.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Input modes: 1 plain text, 2 "-" and digits, 3 "-", "." and digits,
// 4 masked password field. Other values are clamped into 1..4.
struct InputBoxRequest {
  std::string prompt;   // GBK; empty selects the layout without a prompt
  std::string caption;  // GBK
  std::string initial;  // GBK; put in the field and selected
  int mode = 1;
  std::uintptr_t owner = 0;  // native window handle, 0 = none
  // False when the entry is a secret (see EditRules::input_method).
  bool input_method = true;
  bool with_prompt() const { return !prompt.empty(); }
  bool masked() const { return mode == 4; }
};

// Whether a field in `mode` takes a typed character (a Unicode code point,
// or a GBK character's code as lead * 256 + trail). Control characters
// always pass; the filter looks at single characters only, so neither the
// place of "-" nor the number of "." is checked.
bool InputBoxAccepts(int mode, std::uint32_t character);

// What a person's keystrokes do to the field, for hosts without a real edit
// control: the initial text starts selected, so the first accepted character
// replaces it; "\b" deletes the selection or the last character; other
// control characters are ignored; characters the mode refuses are dropped.
// `typed` and the result are GBK.
std::string TypeIntoInputBox(const InputBoxRequest& request, const std::string& typed);

}  // namespace platform
