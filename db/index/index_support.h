// Index files of an open database: opening and validating them, keeping them
// up to date through the engine's IndexSet calls, building a new index over
// a database's records, and checking one against the records.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "db/index/index_tree.h"
#include "db/index/key_layout.h"
#include "db/index/tree_check.h"
#include "db/index_hooks.h"
#include "platform/file.h"

namespace db {
struct Database;
}

namespace db::index {

inline constexpr std::size_t kMaxIndexFiles = 10;

// One open index file and its descriptor.
struct IndexFile {
  std::string path;
  std::unique_ptr<platform::File> file;
  IndexHeader header;               // as validated at open
  std::vector<int> fields;          // key fields: positions in the database's field list
  KeyLayout layout;
  std::unique_ptr<IndexTree> tree;

  bool Uses(int field) const;
  // The normalised key of a whole stored record; false when the key
  // fields do not fit the record.
  bool KeyOf(const Database& db, const std::uint8_t* record, std::vector<std::uint8_t>* key) const;
};

// The full path an index file name stands for: default extension "VNX",
// and a bare name (no folder) taken from the database file's folder.
std::string IndexFilePath(const Database& db, const std::string& name);

// Opens and validates one index file (already resolved to a full path)
// with the database's access and sharing. 0 or -30, -31, -32, -43, -49,
// -53, -54, or a lock failure.
int OpenIndexFile(Database& db, const std::string& full_path, std::unique_ptr<IndexFile>* out);

// Inserts the key of every record of the database (marked ones too), in
// record order, reading the records in batches. 0 or an error code.
int InsertAllRecords(Database& db, IndexFile& index);

// Makes a new index file over the named key fields and fills it from the
// database's records. 0, or -39 (more than 8 fields), -40 (a field is not
// in the database), -42 (memo or bytes field), -56 (key over 80 bytes),
// -41 (other failures of the new file) or a file error.
int BuildIndexFile(Database& db, const std::string& full_path, const std::vector<std::string>& field_names,
                   std::int32_t page_size, std::int32_t collation, std::uint32_t text_flags);

// Opens an index file for a database as OpenIndexFile does, checks its tree
// and compares its entries with the records' keys.
TreeReport VerifyIndexFile(Database& db, const std::string& full_path);

}  // namespace db::index
