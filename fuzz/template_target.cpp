// The window-template block reader. A block it accepts must survive being
// written and read again unchanged (the program's own blocks are written by
// the same writer the tools use).
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fuzz/entries.h"
#include "ui/template_reader.h"

namespace qkfuzz {

int FuzzTemplate(const std::uint8_t* data, std::size_t size) {
  std::string error;
  std::optional<ui::TemplateBlock> block = ui::ReadTemplateBlock(data, size, ui::CodeBase{}, &error);
  if (!block) return 0;
  std::vector<std::uint8_t> written = ui::WriteTemplateBlock(*block);
  std::optional<ui::TemplateBlock> again = ui::ReadTemplateBlock(written.data(), written.size(), ui::CodeBase{}, &error);
  if (!again) {
    std::fprintf(stderr, "a block the reader accepted was written unreadably: %s\n", error.c_str());
    std::abort();
  }
  if (ui::WriteTemplateBlock(*again) != written) {
    std::fprintf(stderr, "writing a block read back from its own bytes gave other bytes\n");
    std::abort();
  }
  return 0;
}

}  // namespace qkfuzz
