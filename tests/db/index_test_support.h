// Shared helpers for the index-file tests: a scratch folder, a fresh index
// file over a key layout, and key builders.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "db/index/index_create.h"
#include "db/index/index_tree.h"
#include "db/index/key_layout.h"
#include "db/index/tree_check.h"
#include "platform/file.h"
#include "tests/support/temp_folder.h"

namespace index_test {

// A fresh folder per test, removed afterwards.
using ScratchDir = qktest::TempFolder;

// An index file made empty over a layout, opened read-write.
struct OpenIndex {
  std::unique_ptr<platform::File> file;
  db::index::KeyLayout layout;
  std::int32_t page_size = 512;

  db::index::IndexTree Tree() { return db::index::IndexTree(*file, layout, page_size); }
  db::index::TreeReport Check() { return db::index::CheckIndexTree(*file, layout); }
  std::uint64_t Length() {
    std::uint64_t n = 0;
    file->Size(&n);
    return n;
  }
  db::index::IndexHeader Header() {
    db::index::IndexHeader h;
    db::index::ReadIndexHeader(*file, &h);
    return h;
  }
};

inline std::unique_ptr<OpenIndex> MakeIndex(const std::string& path, const std::vector<db::index::KeyPart>& parts,
                                            std::int32_t page_size = 512, std::int32_t collation = 0,
                                            std::uint32_t text_flags = 0) {
  auto index = std::make_unique<OpenIndex>();
  index->layout = db::index::KeyLayout(parts, collation, text_flags);
  index->page_size = page_size;
  std::vector<db::index::IndexKeyField> fields;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::int32_t type = parts[i].type == db::index::field_type::kText ? -static_cast<std::int32_t>(parts[i].size)
                                                                            : parts[i].type;
    std::string name = std::to_string(i + 1);
    name.insert(0, 1, 'F');
    fields.push_back({name, type});
  }
  db::index::IndexHeader header;
  EXPECT_TRUE(db::index::MakeEmptyIndexHeader(0x00010000, page_size, collation, text_flags, fields, &header));
  EXPECT_EQ(platform::OpenFile(path, platform::FileAccess::kReadWrite, platform::share::kReadWrite,
                               platform::FileDisposition::kCreateAlways, &index->file),
            platform::FileError::kNone);
  EXPECT_EQ(db::index::WriteEmptyIndex(*index->file, header), 0);
  return index;
}

// Key of an Int part followed by a text part, in a buffer of key_size bytes.
inline std::vector<std::uint8_t> IntTextKey(std::int32_t n, const std::string& text, std::size_t text_size) {
  std::vector<std::uint8_t> key(4 + text_size, 0);
  std::memcpy(key.data(), &n, 4);
  std::memcpy(key.data() + 4, text.data(), std::min(text.size(), text_size));
  return key;
}

inline std::vector<std::uint8_t> IntKey(std::int32_t n) {
  std::vector<std::uint8_t> key(4);
  std::memcpy(key.data(), &n, 4);
  return key;
}

// Records in tree order.
inline std::vector<std::uint32_t> RecordsInOrder(const db::index::TreeReport& report) {
  std::vector<std::uint32_t> out;
  for (const auto& e : report.entries) out.push_back(e.record);
  return out;
}

}  // namespace index_test
