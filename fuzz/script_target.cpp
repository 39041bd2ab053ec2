// The scenario-script reader: any text either parses or is refused with a
// failure naming a line of the script.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/entries.h"
#include "tools/scenario/script.h"

namespace qkfuzz {

int FuzzScript(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  int lines_in_text = 1;
  for (char c : text) lines_in_text += c == '\n';
  try {
    int last = 0;
    std::vector<scenario::ScriptLine> lines = scenario::ParseScript(text, &last);
    for (const auto& line : lines) {
      if (line.number < 1 || line.number > lines_in_text || line.verb.empty()) {
        std::fprintf(stderr, "parsed line %d (of %d) has no verb or a wrong number\n", line.number, lines_in_text);
        std::abort();
      }
    }
  } catch (const scenario::ScriptFailure& failure) {
    if (failure.line < 1 || failure.line > lines_in_text) {
      std::fprintf(stderr, "a failure names line %d of %d: %s\n", failure.line, lines_in_text, failure.what());
      std::abort();
    }
  }
  scenario::Unescape(text);
  return 0;
}

}  // namespace qkfuzz
