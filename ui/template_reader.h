// Reading and writing the serialised window-template block.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/template.h"

namespace ui {

struct CodeBase {
  // The application's handler table: a stored offset o names handlers[o].
  // With a null table handler offsets are kept as read and not resolved.
  const rt::Handler* handlers = nullptr;
  std::uint32_t count = 0;
};

// Reads the whole block. Returns nothing when any read passes the end of the
// block or of a record, when a record has bytes left over, or when a handler
// offset names no entry of a given handler table. `error` (optional) receives
// a short English description of what went wrong, for tools and tests.
std::optional<TemplateBlock> ReadTemplateBlock(const void* data, std::size_t length, const CodeBase& code_base,
                                               std::string* error = nullptr);

// Serialises a block: directory, then each window; the unit table offsets
// are laid out in table order.
std::vector<std::uint8_t> WriteTemplateBlock(const TemplateBlock& block);
// One record's bytes without its length word.
std::vector<std::uint8_t> WriteTemplateRecord(const TemplateRecord& record);

}  // namespace ui
