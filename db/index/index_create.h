// Writing a new, empty index file. The engine itself only opens and keeps
// index files; `qkdb mkindex` and the tests make them with this.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/index/page_format.h"
#include "platform/file.h"

namespace db::index {

// A key field as the header names it: its name and its header type code
// (1..9, or -n for a text field of n bytes).
struct IndexKeyField {
  std::string name;
  std::int32_t header_type = 0;
};

// Stored size of a key field from its header type code; -1 for codes that
// cannot be key fields.
std::int32_t HeaderTypeSize(std::int32_t header_type);

// The header of an empty index: two pages, root 1, no free pages. Returns
// false when the fields do not make a valid key (1..8 fields, names of at
// most 16 bytes, types that can be keys, key size 1..80) or the page size
// is below 512.
bool MakeEmptyIndexHeader(std::uint32_t version, std::int32_t page_size, std::int32_t collation,
                          std::uint32_t text_flags, const std::vector<IndexKeyField>& fields, IndexHeader* out);

// Writes the header page and an empty root leaf to a file opened for
// writing, and cuts the file to those two pages. 0 or a file error code.
int WriteEmptyIndex(platform::File& file, const IndexHeader& header);

}  // namespace db::index
