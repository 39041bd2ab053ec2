// A full check of an index file's tree: page decoding and counts, key order,
// separators, equal leaf depth, the free list, and that every page is either
// in the tree or free. Used by `qkdb index-check` and the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/index/key_layout.h"
#include "db/index/page_format.h"
#include "platform/file.h"

namespace db::index {

struct TreeEntry {
  std::vector<std::uint8_t> key;
  std::uint32_t record = 0;
};

struct TreeReport {
  std::vector<std::string> problems;  // empty when the file is sound
  std::vector<TreeEntry> entries;     // leaf entries in tree order
  std::int32_t depth = 0;             // levels, 1 for a root leaf
  std::int32_t tree_pages = 0;
  std::int32_t free_pages = 0;
  bool sound() const { return problems.empty(); }
};

// Checks the tree of an open index file whose keys have this layout. The
// file is locked whole while it is read.
TreeReport CheckIndexTree(platform::File& file, const KeyLayout& layout);

// Adds a problem for every difference between the tree's entries and the
// expected (normalised key, record) pairs, in any order.
void CompareEntries(const KeyLayout& layout, std::vector<TreeEntry> expected, TreeReport& report);

}  // namespace db::index
